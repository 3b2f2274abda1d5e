#!/usr/bin/env bash
# Inside a Wine session (scripts/wine-session.sh): lays out C:\Bench with QeltorService.exe, the
# stand-in tools and a stand-in server, and times its start against the empty window's.
# Usage: bench/measure-in-wine.sh <main build dir> <bench build dir> [StartupTimer options...]
set -euo pipefail
main=$1
tools=$2
shift 2
if [ -z "${QELTOR_WINE_SESSION:-}" ]; then
  echo "measure-in-wine: run this under scripts/wine-session.sh" >&2
  exit 1
fi

bench="$WINEPREFIX/drive_c/Bench"
alone="$bench/Alone"
mkdir -p "$bench" "$alone"
cp "$main/window/QeltorService.exe" "$tools/EmptyWindow.exe" "$tools/StartupTimer.exe" "$bench/"
cp "$main/tests/wine/standins/instsrv.exe" "$main/tests/wine/standins/srvany.exe" "$bench/"
cp "$main/tests/wine/standins/srvany.exe" "$bench/Monitor.exe"
# Without its tools beside it, the program stops at its first check with a message box.
cp "$main/window/QeltorService.exe" "$alone/"
wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /t REG_SZ \
  /d 'C:\Bench\Monitor.exe' /f >/dev/null 2>&1
wineserver -w

rows=('Empty window (floor)' 'C:\Bench\EmptyWindow.exe' 'Empty Window'
      'QeltorService' 'C:\Bench\QeltorService.exe' 'Set Monitoring Server as Service')
if [ -n "${QELTOR_BENCH_CHECKS_FAIL:-}" ]; then
  rows+=('QeltorService, first check fails' 'C:\Bench\Alone\QeltorService.exe' 'QeltorService')
fi
exec wine 'C:\Bench\StartupTimer.exe' "$@" "${rows[@]}"
