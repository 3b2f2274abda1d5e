#!/usr/bin/env bash
# The quiet way that README.txt gives for many machines, under Wine, from the installed folder: a
# server in a folder every user can change is refused with exit code 3 and nothing made; /quiet
# makes the service with exit code 0, no window nor message box ever shown, and one log record;
# README.txt's startup-script line, run again from a console prompt after a value was set by hand,
# keeps it and says so; the service runs the server.
# Usage (under scripts/wine-session.sh): check_batch.sh <cross build dir>
set -uo pipefail
build=$1
[ -n "${QELTOR_WINE_SESSION:-}" ] || { echo "check_batch: run this under scripts/wine-session.sh" >&2; exit 64; }
check=$build/tests/e2e/ServiceCheck.exe
kit="$WINEPREFIX/drive_c/Program Files/Qeltor Service" folder='C:\Program Files\Qeltor Service'
server="$WINEPREFIX/drive_c/Program Files/Qeltor" monitor='C:\Program Files\Qeltor\Monitor.exe'
log="$WINEPREFIX/drive_c/windows/temp/QeltorService.log"
failures=0
verdict() { if [ "$1" -eq 0 ]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi; }
seen() { out=$("$@" 2>&1); status=$?; out=${out//$'\r'/}; return $status; }
parameters() { wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\Qeltor Monitoring Server\Parameters' 2>&1 | tr -d '\r'; }

wine "$check" forget >/dev/null 2>&1
trap 'wine "$check" forget >/dev/null 2>&1; rm -rf "$kit" "$server" "$log"' EXIT
rm -rf "$kit" "$server" "$log" && mkdir -p "$kit" "$server"
wine reg delete 'HKCU\Software\VB and VBA Program Settings\mxqeltor' /f >/dev/null 2>&1  # this account ran no server
cp "$build/window/QeltorService.exe" "$build/servicetools/instsrv.exe" "$build/servicetools/srvany.exe" "$kit/"
cp "$build/tests/services/StandinServer.exe" "$server/Monitor.exe"

chmod o+w "$server"
seen wine "$kit/QeltorService.exe" /quiet /server "$monitor"
[ "$status" -eq 3 ] && grep -q 'users who are no administrators can change' <<<"$out" && [ -z "$(parameters | grep Application)" ] &&
  wine "$check" removed >/dev/null 2>&1
verdict $? "a server in a folder every user can change: exit code $status, nothing made: ${out//$'\n'/ }"
chmod o-w "$server"

seen wine "$build/tests/wine/JobDriver.exe" "$folder\\QeltorService.exe" /quiet /server "$monitor" /log 'C:\windows\temp\QeltorService.log'
[ "$status" -eq 0 ] && grep -q 'ended with exit code 0\.' <<<"$out" && ! grep -qE 'window appeared|Message box' <<<"$out" &&
  grep -q 'The account that ran QeltorService holds no settings of the monitoring server' <<<"$out"
verdict $? "/quiet registers with exit code 0, no window nor box: ${out//$'\n'/ }"
record=$(tr -d '\r' <"$log")
grep -qxE '[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} QeltorService.exe /quiet ended with exit code 0\.' \
  <<<"$record" && [ "$(sed -n 2p <<<"$record")" = "Run as service successfully. Please restart your Windows,the monitoring server will run as a service called 'Qeltor Monitoring Server'." ]
verdict $? "its log record: ${record//$'\n'/ | }"

wine "$check" arguments '--beat 100' >/dev/null 2>&1
line=$(tr -d '\r' <"$(dirname "$0")/../../package/README.txt" | grep -m1 -F 'QeltorService.exe" /quiet /server' | sed 's/^ *//')
printf '%s\r\nexit /b %%errorlevel%%\r\n' "$line" >"$WINEPREFIX/drive_c/quiet.bat"
seen wine cmd /c 'C:\quiet.bat'
[ "$status" -eq 0 ] && grep -q 'were set by hand and were kept as they are: AppParameters is "--beat 100"' <<<"$out" &&
  grep -qE '^ +AppParameters +REG_SZ +--beat 100$' <<<"$(parameters)" &&
  [ "$(grep -c 'ended with exit code 0\.' "$log")" -eq 2 ]
verdict $? "README.txt's line again from a console prompt keeps the value set by hand: exit code $status, ${out//$'\n'/ }"

holds() { seen "$@"; verdict $? "$out"; }
holds wine "$check" installed "$folder\\srvany.exe"
wine net start "Qeltor Monitoring Server" >/dev/null 2>&1
holds wine "$check" running 'C:\Program Files\Qeltor\heartbeat.txt'
wine net stop "Qeltor Monitoring Server" >/dev/null 2>&1

[ "$failures" -eq 0 ]
