#!/usr/bin/env bash
# The main job: builds QeltorService.exe with our instsrv.exe and srvany.exe and runs the whole
# job under Wine in a throwaway prefix, with a stand-in monitoring server: registers the service
# through the real window, starts it, shows the server's heartbeat, stops it.
# Where a display answers, the window is shown there for you to press its button; elsewhere a
# driver presses it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

build=${QELTOR_BUILD_DIR:-$root/build}/win
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j "$(nproc)" --target QeltorService instsrv srvany StandinServer JobDriver ServiceCheck

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export QELTOR_USE_DISPLAY=1
fi
exec scripts/wine-session.sh "$build/run-prefix" bash scripts/run-in-wine.sh "$build"
