#!/usr/bin/env bash
# Builds QeltorService.exe, instsrv.exe, srvany.exe and the benchmark's programs, times the
# program's start against an empty window's in one Wine session, and reports the three programs'
# sizes with the largest pieces of each, and the DLLs they import.
# Usage: bash bench/run.sh [StartupTimer options, e.g. --rounds 31 or --detect idle]
# QELTOR_BENCH_CHECKS_FAIL=1 adds a row: the program stopped by its first start-up check.
# Exit status: 0 every target met, 2 something measured missed its target, 1 a step failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

out=${QELTOR_BENCH_DIR:-$root/build/bench}
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
toolchain="$root/cmake/mingw-i686.cmake"
# The product is built exactly as the main job builds it, in a folder of the benchmark's own.
cmake -S "$root" -B "$out/main" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$out/main" -j "$jobs" --target QeltorService instsrv srvany instsrv-standin srvany-standin
cmake -S "$root/bench" -B "$out/tools" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$out/tools" -j "$jobs"

exe="$out/main/window/QeltorService.exe"
missed=0

echo
echo "== Start-up time (Wine, one session) =="
# Other work on the machine slows both programs and blurs the ratio: say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
scripts/wine-session.sh "$out/prefix" bash bench/measure-in-wine.sh "$out/main" "$out/tools" "$@" || status=$?
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
case $status in
  0) ;;
  2) missed=1 ;;
  *) echo "bench: the start-up measurement failed (status $status)" >&2; exit 1 ;;
esac

echo
echo "== Size =="
limit=$((128 * 1024))
aim=$((96 * 1024))
kib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1024 }'; }
programs=("$exe" "$out/main/servicetools/instsrv.exe" "$out/main/servicetools/srvany.exe")
printf '%-40s %10s %10s\n' "file (as built: stripped)" "bytes" "KiB"
for program in "${programs[@]}"; do
  bytes=$(stat -c %s "$program")
  printf '%-40s %10d %10s\n' "$(basename "$program")" "$bytes" "$(kib "$bytes")"
  rsrc_hex=$(i686-w64-mingw32-objdump -h "$program" | awk '$2 == ".rsrc" { print $3 }')
  rsrc_bytes=$((16#${rsrc_hex:-0}))
  printf '%-40s %10d %10s\n' "  of which resources (.rsrc)" "$rsrc_bytes" "$(kib "$rsrc_bytes")"
  if [ "$bytes" -le "$limit" ]; then
    echo "  target <= 128 KiB: met"
  else
    echo "  target <= 128 KiB: MISSED"
    missed=1
  fi
done
floor_bytes=$(stat -c %s "$out/tools/EmptyWindow.exe")
printf '%-40s %10d %10s\n' "EmptyWindow.exe (for scale)" "$floor_bytes" "$(kib "$floor_bytes")"
qs_bytes=$(stat -c %s "$exe")
[ "$qs_bytes" -le "$aim" ] && echo "QeltorService.exe: aim <= 96 KiB: met" || echo "QeltorService.exe: aim <= 96 KiB: not met"

echo
echo "== Largest pieces, from each program's link map =="
for program in "${programs[@]}"; do
  echo "$(basename "$program"):"
  python3 bench/map_pieces.py "$program.map" 8
done

echo
echo "== Imported DLLs =="
# DLLs that come with every Windows this program supports (7 and later).
system_dlls=(kernel32 user32 gdi32 advapi32 msvcrt shell32 comctl32 ole32 oleaut32 comdlg32 shlwapi
             version winmm ws2_32 uxtheme ntdll imm32 rpcrt4 secur32 crypt32 wininet userenv psapi)
foreign=0
while read -r dll; do
  lower=${dll,,}
  case $lower in
    libstdc++*|libgcc*|libwinpthread*) verdict="MinGW runtime DLL: not on Windows"; foreign=1 ;;
    *) verdict="NOT in the list of system DLLs"
       for known in "${system_dlls[@]}"; do
         if [ "$lower" = "$known.dll" ]; then verdict="ships with Windows"; fi
       done
       if [ "$verdict" != "ships with Windows" ]; then foreign=1; fi ;;
  esac
  printf '%-20s %s\n' "$dll" "$verdict"
done < <(for program in "${programs[@]}"; do i686-w64-mingw32-objdump -p "$program"; done |
         awk '/DLL Name:/ { print $3 }' | sort -fu)
if [ "$foreign" -eq 0 ]; then
  echo "imports: only system DLLs: met"
else
  echo "imports: MISSED"
  missed=1
fi

[ "$missed" -eq 0 ] || exit 2
