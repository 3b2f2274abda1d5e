#!/usr/bin/env bash
# The main job: builds QeltorService.exe with our instsrv.exe and srvany.exe and runs the whole
# job under Wine in a throwaway prefix, with a stand-in monitoring server: registers the service
# through the real window, starts it, shows the server's heartbeat, stops it.
# Where a display answers, the window is shown there for you to press its button; elsewhere a
# driver presses it.
# Where the kernel runs no 32-bit programs, 32-bit Wine cannot start: then (or with
# QELTOR_WINE_ARCH=win64) the job is shown with the same sources built for 64 bits, under 64-bit
# Wine, as scripts/test.sh does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

build=${QELTOR_BUILD_DIR:-$root/build}/win
toolchain=$root/cmake/mingw-i686.cmake
if [ "${QELTOR_WINE_ARCH:-}" = win64 ] || ! scripts/wine-session.sh --can-run 2>/dev/null; then
  if [ "${QELTOR_WINE_ARCH:-}" = win64 ]; then
    echo "run.sh: QELTOR_WINE_ARCH=win64: showing the job with the 64-bit build of the same source"
  else
    echo "run.sh: this machine runs no 32-bit programs: showing the job with the 64-bit build of the same source"
  fi
  export QELTOR_WINE_ARCH=win64
  build=${build}64
  toolchain=$root/cmake/mingw-x86_64.cmake
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j "$(nproc)" --target QeltorService instsrv srvany StandinServer JobDriver ServiceCheck

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export QELTOR_USE_DISPLAY=1
fi
exec scripts/wine-session.sh "$build/run-prefix" bash scripts/run-in-wine.sh "$build"
