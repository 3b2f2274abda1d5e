#!/usr/bin/env bash
# Makes the release zip from the built tree, as `--target package` does, unpacks it and checks
# that it holds exactly the three programs as built and the administrators' README.txt.
# Usage: check_package.sh <cross build dir> <the kit's name: QeltorService-1.0-win32 as shipped>
set -euo pipefail
build=$1 name=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
zip="$work/out/$name.zip"
check "the kit is named $name.zip" test -f "$zip"
unzip -q "$zip" -d "$work/unpacked"
kit="$work/unpacked/$name"

listing=$(cd "$kit" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | paste -sd' ')
check "it holds QeltorService.exe, README.txt, instsrv.exe and srvany.exe, nothing else" \
  test "$listing" = "QeltorService.exe README.txt instsrv.exe srvany.exe"
check "QeltorService.exe is the one built" cmp -s "$kit/QeltorService.exe" "$build/window/QeltorService.exe"
check "instsrv.exe is ours, as built" cmp -s "$kit/instsrv.exe" "$build/servicetools/instsrv.exe"
check "srvany.exe is ours, as built" cmp -s "$kit/srvany.exe" "$build/servicetools/srvany.exe"
check "README.txt says how to start the service without restarting" \
  grep -q 'net start "Qeltor Monitoring Server"' "$kit/README.txt"
check "README.txt says how to remove the service" \
  grep -q 'instsrv.exe "Qeltor Monitoring Server" remove' "$kit/README.txt"
check "README.txt has Windows line endings" test "$(grep -c $'\r$' "$kit/README.txt")" = "$(wc -l <"$kit/README.txt")"

[ "$failures" -eq 0 ]
