#!/usr/bin/env bash
# Times one registration from start to exit, through the window (the driver presses the button and
# confirms the message) and with /quiet (the same driver, which finds nothing to press), with the
# real tools under Wine's service manager; the service is removed before each run. Prints each
# time and the medians.
# Usage (under scripts/wine-session.sh): bench/quiet-vs-click.sh <cross build dir> [runs, default 7]
set -uo pipefail
build=$1 runs=${2:-7}
[ -n "${QELTOR_WINE_SESSION:-}" ] || { echo "quiet-vs-click: run this under scripts/wine-session.sh" >&2; exit 64; }
check=$build/tests/e2e/ServiceCheck.exe driver=$build/tests/wine/JobDriver.exe
kit="$WINEPREFIX/drive_c/Program Files/Qeltor Service" folder='C:\Program Files\Qeltor Service'
server="$WINEPREFIX/drive_c/Program Files/Qeltor" monitor='C:\Program Files\Qeltor\Monitor.exe'
mkdir -p "$kit" "$server"
cp "$build/window/QeltorService.exe" "$build/servicetools/instsrv.exe" "$build/servicetools/srvany.exe" "$kit/"
cp "$build/tests/services/StandinServer.exe" "$server/Monitor.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /d "$monitor" /f >/dev/null 2>&1
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
timed() {
  wine "$check" forget >/dev/null 2>&1
  local start end
  start=$(date +%s%N)
  wine "$driver" "$folder\\QeltorService.exe" "$@" >/dev/null 2>&1 || { echo "run failed: $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
click=() quiet=()
for ((i = 0; i < runs; i++)); do # alternating, so that neither way has the quieter moments
  click+=("$(timed)")
  quiet+=("$(timed /quiet /server "$monitor")")
done
echo "window: ${click[*]} ms; median $(printf '%s\n' "${click[@]}" | median) ms"
echo "/quiet: ${quiet[*]} ms; median $(printf '%s\n' "${quiet[@]}" | median) ms"
wine "$check" forget >/dev/null 2>&1
