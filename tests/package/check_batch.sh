#!/usr/bin/env bash
# The batch file that README.txt gives administrators for many machines, run as they would run
# it, twice, from a kit folder under Wine: it must make the service the button makes, with the
# three values, and the service must run the server.
# Usage (under scripts/wine-session.sh): check_batch.sh <cross build dir>
set -uo pipefail
build=$1
[ -n "${QELTOR_WINE_SESSION:-}" ] || { echo "check_batch: run this under scripts/wine-session.sh" >&2; exit 64; }
check=$build/tests/e2e/ServiceCheck.exe
kit="$WINEPREFIX/drive_c/Batch Kit"
server="$WINEPREFIX/drive_c/Program Files/Qeltor"
failures=0
verdict() { if [ "$1" -eq 0 ]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi; }

wine "$check" forget >/dev/null 2>&1
trap 'wine "$check" forget >/dev/null 2>&1' EXIT
mkdir -p "$kit" "$server"
cp "$build/servicetools/instsrv.exe" "$build/servicetools/srvany.exe" "$kit/"
cp "$build/tests/services/StandinServer.exe" "$server/Monitor.exe"
# The lines between "@echo off" and the last value, as README.txt shows them.
tr -d '\r' <"$(dirname "$0")/../../package/README.txt" |
  awk '/^      @echo off$/ { on = 1 } on { sub(/^      /, ""); print } on && /AppParameters/ { getline; sub(/^      /, ""); print; exit }' |
  sed 's/$/\r/' >"$kit/setup.bat"
[ "$(grep -c . "$kit/setup.bat")" -ge 10 ]
verdict $? "README.txt holds the batch file"

for run in first second; do
  out=$(wine cmd /c 'C:\Batch Kit\setup.bat' 2>&1)
  verdict $? "the $run run ends with 0: ${out//$'\r'/}"
done
out=$(wine "$check" installed 'C:\Batch Kit\srvany.exe' 2>&1)
verdict $? "${out//$'\r'/}"
values=$(wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server\Parameters' 2>&1 | tr -d '\r')
grep -qE '^ +Application +REG_SZ +C:\\Program Files\\Qeltor\\Monitor\.exe$' <<<"$values" &&
  grep -qE '^ +AppDirectory +REG_SZ +C:\\Program Files\\Qeltor$' <<<"$values" &&
  grep -qE '^ +AppParameters +REG_SZ *$' <<<"$values"
verdict $? "Parameters holds the three values: ${values//$'\n'/ }"
wine net start "Qeltor Monitoring Server" >/dev/null 2>&1
out=$(wine "$check" running 'C:\Program Files\Qeltor\heartbeat.txt' 2>&1)
verdict $? "${out//$'\r'/}"
wine net stop "Qeltor Monitoring Server" >/dev/null 2>&1

[ "$failures" -eq 0 ]
