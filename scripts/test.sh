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

# Adds the Wine tests a build lists as not run to the skipped ones, naming them.
count_not_run() {
  local list=$1/wine-tests-not-run.txt not_run
  not_run=$(grep -c . "$list" || true)
  if [ "$not_run" -gt 0 ]; then
    echo "test.sh: not run under Wine here ($not_run): $(tr '\n' ' ' <"$list")"
    skipped=$((skipped + not_run))
  fi
}

cross_build() {
  local dir=$1 arch=$2
  shift 2
  configure_and_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel "$@"
}

if scripts/wine-session.sh --can-run; then
  echo "== QeltorService.exe under Wine"
  if cross_build "$build/win" i686; then
    scripts/wine-session.sh "$build/win/wine-prefix" ctest --test-dir "$build/win" --output-on-failure 2>&1 |
      tee "$build/win.ctest.log"
    count_ctest "$build/win.ctest.log"
  fi
else
  # 32-bit Wine cannot start here: the 32-bit programs are built, linted and checked without
  # Wine, and the same sources built for 64 bits run the Wine test programs under 64-bit Wine.
  echo "== QeltorService.exe and the service tools, 32-bit, without Wine"
  if cross_build "$build/win" i686 -DQELTOR_RUN_WINE=OFF; then
    ctest --test-dir "$build/win" --output-on-failure 2>&1 | tee "$build/win.ctest.log"
    count_ctest "$build/win.ctest.log"
  fi
  echo "== the same programs built for 64 bits, under 64-bit Wine"
  if cross_build "$build/win64" x86_64 -DQELTOR_WINE_SCRIPTS=OFF; then
    QELTOR_WINE_ARCH=win64 scripts/wine-session.sh "$build/win64/wine-prefix" \
      ctest --test-dir "$build/win64" -L wine --output-on-failure 2>&1 | tee "$build/win64.ctest.log"
    count_ctest "$build/win64.ctest.log"
    count_not_run "$build/win64"
  fi
fi

[ "$broken" -gt 0 ] && echo "test.sh: $broken step(s) could not build or report"
echo "Total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$broken" -eq 0 ]
