#!/usr/bin/env bash
# Runs every test: the installer logic natively (plain, then under ASan and UBSan, with the
# format and lint checks), then the real QeltorService.exe under Wine in a fresh prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh || exit 1

build=${QELTOR_BUILD_DIR:-$root/build}
passed=0
failed=0
skipped=0
broken=0

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

# configure_and_build <dir> <cmake args...>
configure_and_build() {
  local dir=$1
  shift
  if ! { cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1 && cmake --build "$dir" -j "$(nproc)"; }; then
    echo "test.sh: build in $dir failed (see $dir.configure.log)" >&2
    broken=$((broken + 1))
    return 1
  fi
}

mkdir -p "$build"

echo "== native unit tests, format and lint"
if configure_and_build "$build/native" -DCMAKE_BUILD_TYPE=Debug; then
  ctest --test-dir "$build/native" --output-on-failure 2>&1 | tee "$build/native.ctest.log"
  count_ctest "$build/native.ctest.log"
fi

echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if configure_and_build "$build/native-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQELTOR_SANITIZE=ON; then
  ctest --test-dir "$build/native-sanitize" --output-on-failure 2>&1 | tee "$build/native-sanitize.ctest.log"
  count_ctest "$build/native-sanitize.ctest.log"
fi

echo "== QeltorService.exe under Wine"
run_wine=ON
scripts/wine-session.sh --can-run || run_wine=OFF
if configure_and_build "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DQELTOR_RUN_WINE=$run_wine; then
  if [ "$run_wine" = ON ]; then
    scripts/wine-session.sh "$build/win/wine-prefix" ctest --test-dir "$build/win" --output-on-failure 2>&1 |
      tee "$build/win.ctest.log"
  else
    ctest --test-dir "$build/win" --output-on-failure 2>&1 | tee "$build/win.ctest.log"
  fi
  count_ctest "$build/win.ctest.log"
  # Each test program or script that needs Wine counts once as skipped when Wine cannot run.
  not_run=$(grep -c . "$build/win/wine-tests-not-run.txt" || true)
  if [ "$not_run" -gt 0 ]; then
    echo "test.sh: not run without Wine ($not_run): $(tr '\n' ' ' <"$build/win/wine-tests-not-run.txt")"
    skipped=$((skipped + not_run))
  fi
fi

[ "$broken" -gt 0 ] && echo "test.sh: $broken step(s) could not build or report"
echo "Total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$broken" -eq 0 ]
