#!/usr/bin/env bash
# Runs every test: the installer logic natively (plain, then under ASan and UBSan, with the
# format and lint checks), the lint of the Windows code, and the real QeltorService.exe under
# Wine in a fresh prefix. The Wine tests are built first and run in the background, beside the
# rest, which keeps the processors busy while they wait; each step's ctest runs as many tests
# at a time as there are processors.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

bash scripts/install-deps.sh || exit 1

build=${QELTOR_BUILD_DIR:-$root/build}
passed=0
failed=0
skipped=0
broken=0

# step <what>: names the step that starts now, and when, in minutes and seconds since the start.
step() {
  printf '== %s (at %d:%02d)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60))
}

# Adds one ctest run's counts to the totals.
count_ctest() {
  local log=$1 line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "test.sh: no test summary in $log" >&2
    broken=$((broken + 1))
    return
  fi
  local total fails skips
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  # A skipped test counts as neither: it says why in the log (a check this system cannot make).
  skips=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*\*\*\*Skipped' "$log" || true)
  passed=$((passed + total - fails - skips))
  failed=$((failed + fails))
  skipped=$((skipped + skips))
}

# configure <dir> <cmake args...>: configures a build folder, saying so when that fails.
configure() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1 ||
    { echo "test.sh: configuring $dir failed:" >&2; cat "$dir.configure.log" >&2; return 1; }
}

# build <dir>: builds a folder once its configure step (started in the background) has ended.
build() {
  local dir=$1
  if ! { wait "${configuring[$dir]}" && cmake --build "$dir" -j "$(nproc)"; }; then
    echo "test.sh: build in $dir failed (see $dir.configure.log)" >&2
    broken=$((broken + 1))
    return 1
  fi
}

# run_ctest <log> <dir> <ctest args...>: runs a build's tests, as many at a time as there are
# processors, shows and logs what they print, and counts them.
run_ctest() {
  local log=$1 dir=$2
  shift 2
  ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure "$@" 2>&1 | tee "$log"
  count_ctest "$log"
}

# Adds the Wine tests a build lists as not run to the skipped ones, naming them.
count_not_run() {
  local list=$1/wine-tests-not-run.txt not_run
  not_run=$(grep -c . "$list" || true)
  if [ "$not_run" -gt 0 ]; then
    echo "test.sh: not run under Wine here ($not_run): $(tr '\n' ' ' <"$list")"
    skipped=$((skipped + not_run))
  fi
}

# The Wine tests mostly wait, so they run in the background, beside the builds and the lint
# that keep the processors busy; their output is shown once those are done.
wine_pid=
trap '[ -z "$wine_pid" ] || kill "$wine_pid" 2>/dev/null' EXIT
# start_wine <win32|win64> <build dir> <log> <ctest filter...>: the build's Wine tests in a
# session of their own.
start_wine() {
  local arch=$1 dir=$2 log=$3
  shift 3
  step "its Wine tests start now, beside what follows; their output comes at the end"
  QELTOR_WINE_ARCH=$arch scripts/wine-session.sh "$dir/wine-prefix" \
    ctest --test-dir "$dir" -j "$(nproc)" --output-on-failure "$@" >"$log" 2>&1 &
  wine_pid=$!
}
finish_wine() {
  local log=$1
  wait "$wine_pid"
  wine_pid=
  cat "$log"
  count_ctest "$log"
}

mkdir -p "$build"
declare -A configuring
can_run_wine=true
# QELTOR_WINE_ARCH=win64 takes the way of a machine that runs no 32-bit programs, even here.
if [ "${QELTOR_WINE_ARCH:-}" = win64 ] || ! scripts/wine-session.sh --can-run; then
  can_run_wine=false
fi
cross=(-DCMAKE_BUILD_TYPE=MinSizeRel)
# Every folder is configured at once; each build waits for its own.
configure "$build/native" -DCMAKE_BUILD_TYPE=Debug &
configuring[$build/native]=$!
configure "$build/native-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQELTOR_SANITIZE=ON &
configuring[$build/native-sanitize]=$!
if $can_run_wine; then
  # Named, since a folder first configured for the 64-bit way keeps the setting in its cache.
  configure "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${cross[@]}" -DQELTOR_RUN_WINE=ON &
  configuring[$build/win]=$!
else
  # 32-bit Wine cannot start here: the 32-bit programs are built, linted and checked without
  # Wine, and the same sources built for 64 bits run the Wine test programs under 64-bit Wine.
  configure "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${cross[@]}" -DQELTOR_RUN_WINE=OFF &
  configuring[$build/win]=$!
  configure "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" "${cross[@]}" &
  configuring[$build/win64]=$!
fi

# The Wine tests' build comes first, so that they can start as early as possible.
if $can_run_wine; then
  step "QeltorService.exe and the service tools, for Wine"
  build "$build/win" && start_wine win32 "$build/win" "$build/win.wine.ctest.log" -LE lint
else
  step "the same programs built for 64 bits, for 64-bit Wine"
  build "$build/win64" && start_wine win64 "$build/win64" "$build/win64.ctest.log" -L wine
fi

step "native unit tests, format and lint"
build "$build/native" && run_ctest "$build/native.ctest.log" "$build/native"

step "native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
build "$build/native-sanitize" && run_ctest "$build/native-sanitize.ctest.log" "$build/native-sanitize"

if $can_run_wine; then
  # The lint has a folder of its own (tests/lint), whose tests need no Wine session.
  if [ -n "$wine_pid" ]; then
    step "QeltorService.exe and the service tools: lint"
    run_ctest "$build/win.ctest.log" "$build/win/tests/lint"
    step "QeltorService.exe under Wine, with the checks of the release kit and the resources"
    finish_wine "$build/win.wine.ctest.log"
  fi
else
  step "QeltorService.exe and the service tools, 32-bit, without Wine"
  build "$build/win" && run_ctest "$build/win.ctest.log" "$build/win"
  step "the same programs built for 64 bits, under 64-bit Wine"
  if [ -n "$wine_pid" ]; then
    finish_wine "$build/win64.ctest.log"
    count_not_run "$build/win64"
  fi
fi

step "done"
[ "$broken" -gt 0 ] && echo "test.sh: $broken step(s) could not build or report"
echo "Total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$broken" -eq 0 ]
