#!/usr/bin/env bash
# The main job: builds QeltorService.exe and runs it under Wine in a throwaway prefix, with
# stand-in service tools beside it and a stand-in monitoring server stored as its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

build=${QELTOR_BUILD_DIR:-$root/build}/win
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$build" -j "$(nproc)" --target QeltorService instsrv-standin srvany-standin JobDriver

exec scripts/wine-session.sh "$build/run-prefix" bash scripts/run-in-wine.sh "$build"
