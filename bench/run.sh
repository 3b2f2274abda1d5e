#!/usr/bin/env bash
# Builds QeltorService.exe and the benchmark's programs, times the program's start against an
# empty window's in one Wine session, and reports the .exe's size and the DLLs it imports.
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
cmake --build "$out/main" -j "$jobs" --target QeltorService instsrv-standin srvany-standin
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
limit=$((256 * 1024))
stripped=$(mktemp --suffix=.exe)
trap 'rm -f "$stripped"' EXIT
cp "$exe" "$stripped"
i686-w64-mingw32-strip "$stripped"
built_bytes=$(stat -c %s "$exe")
stripped_bytes=$(stat -c %s "$stripped")
rsrc_hex=$(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" { print $3 }')
rsrc_bytes=$((16#${rsrc_hex:-0}))
floor_bytes=$(stat -c %s "$out/tools/EmptyWindow.exe")
kib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1024 }'; }
printf '%-40s %10s %10s\n' "file" "bytes" "KiB"
printf '%-40s %10d %10s\n' "QeltorService.exe as built" "$built_bytes" "$(kib "$built_bytes")"
printf '%-40s %10d %10s\n' "QeltorService.exe stripped" "$stripped_bytes" "$(kib "$stripped_bytes")"
printf '%-40s %10d %10s\n' "  of which resources (.rsrc, icon too)" "$rsrc_bytes" "$(kib "$rsrc_bytes")"
printf '%-40s %10d %10s\n' "EmptyWindow.exe as built (for scale)" "$floor_bytes" "$(kib "$floor_bytes")"
if [ "$stripped_bytes" -le "$limit" ]; then
  echo "stripped size: target <= 256 KiB: met"
else
  echo "stripped size: target <= 256 KiB: MISSED"
  missed=1
fi

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
done < <(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }')
if [ "$foreign" -eq 0 ]; then
  echo "imports: only system DLLs: met"
else
  echo "imports: MISSED"
  missed=1
fi

[ "$missed" -eq 0 ] || exit 2
