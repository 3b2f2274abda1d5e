#!/usr/bin/env bash
# The whole job under one Wine session: QeltorService.exe registers the monitoring server (here
# the stand-in) as a service through our instsrv.exe and srvany.exe, and from the next start of
# the machine on it runs as that service; net stop and net start work on it; a server that ends
# by itself, one that ignores every request to end and a start without Application are reported
# as the administrator needs; instsrv removes it.
# Usage: EndToEnd.sh <QeltorService.exe> <instsrv.exe> <srvany.exe> <StandinServer.exe>
#                    <JobDriver.exe> <ServiceCheck.exe>   (Unix paths, from CTest)
set -uo pipefail
if [ -z "${QELTOR_WINE_SESSION:-}" ] || [ $# -ne 6 ]; then
  echo "usage (under scripts/wine-session.sh): $0 <QeltorService.exe> <instsrv.exe> <srvany.exe>" \
    "<StandinServer.exe> <JobDriver.exe> <ServiceCheck.exe>" >&2
  exit 64
fi
service='Qeltor Monitoring Server'
kit_win='C:\Program Files\Qeltor Kit'
kit="$WINEPREFIX/drive_c/Program Files/Qeltor Kit"
# The server lies in a folder of its own under C:\Program Files, where only administrators may
# change it: one at C:\'s root would be refused, as users may change it on Windows, and one in
# the administrator's profile too, as the administrator's unelevated programs may.
server_win='C:\Program Files\Qeltor Server'
server="$WINEPREFIX/drive_c/Program Files/Qeltor Server"
heartbeat="$server_win\\heartbeat.txt"
check=$6
passed=0
failed=0

# verdict <status> <what was checked>
verdict() {
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS: $2"
  else
    failed=$((failed + 1))
    echo "FAIL: $2"
  fi
}

# check_with <step> <ServiceCheck arguments...>: the checker says what it saw.
check_with() {
  local step=$1 out status
  shift
  out=$(wine "$check" "$@" 2>&1)
  status=$?
  verdict "$status" "$step: ${out//$'\r'/}"
}

# exits_zero <step> <command...>: the command ends with 0; what it printed goes on the line.
exits_zero() {
  local step=$1 out status
  shift
  out=$("$@" 2>&1)
  status=$?
  out=${out//$'\r'/}
  verdict "$status" "$step: exit code $status (expected 0): ${out//$'\n'/ }"
}

# The first process of a new wineserver boots the machine: its daemons and automatic services.
# So between steps the server stays up; only the restart lets it go. The daemons keep what
# output they were given, so they are started with a file of their own, not under a $(...)
# capture. Wine's event log is a stub that writes the insert strings of an event to that output
# on its "eventlog" channel (an error's as err, a warning's as warn), and its type and ID, and
# the registered source, on the "advapi" one: that file is the event log this test can read.
daemon_log="$(dirname "$WINEPREFIX")/end-to-end-daemons.log"
boot() {
  wineserver -k 2>/dev/null
  wineserver -p >/dev/null 2>&1
  WINEDEBUG=-all,err+eventlog,warn+eventlog,fixme+advapi wineboot -r >/dev/null 2>>"$daemon_log"
}

# The handle Wine's stub hands out for an event source, as it prints it: as wide as a pointer.
event_handle='(00000000)?CAFE4242'

# event_lines <tid> <lines>: the events that thread reported, each its type and ID, then its inserts.
event_lines() {
  grep -E "^$1:(fixme:advapi:ReportEventW|(err|warn):eventlog:ReportEventW)" <<<"$2" | tr -d '\r' | tr '\n' ' '
}
rm -f "$daemon_log"
boot
trap 'wine "$check" forget >/dev/null 2>&1; wineserver -k' EXIT
check_with "0. nothing is left under the service's name" forget

mkdir -p "$kit" "$server" && cp "$1" "$2" "$3" "$kit/" && cp "$4" "$server/Monitor.exe" &&
  wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /t REG_SZ \
  /d "$server_win\\Monitor.exe" /f >/dev/null 2>&1
verdict $? "1. $kit_win holds QeltorService.exe, instsrv.exe and srvany.exe; exepath is $server_win\\Monitor.exe"

driven=$(wine "$5" "$kit_win\\QeltorService.exe" 2>&1)
status=$?
boxes=$(grep -c '^Message box' <<<"$driven")
grep -q '^Message box .*(asterisk icon)' <<<"$driven" && [ "$boxes" -eq 1 ] && [ "$status" -eq 0 ]
held=$?
verdict "$held" "2. the button was pressed; message boxes confirmed: $boxes (expected 1, information); exit code $status"
[ "$held" -eq 0 ] || echo "$driven"
check_with "2/3. instsrv.exe finished and the service manager holds the service" installed "$kit_win\\srvany.exe"

rm -f "$server/heartbeat.txt" "$server/heartbeat.txt.ended"
boot
check_with "4. after a restart of the machine the server runs as the service" running "$heartbeat"

exits_zero "5. net stop" wine net stop "$service"
check_with "5. after net stop" stopped "$heartbeat"
rm -f "$server/heartbeat.txt" "$server/heartbeat.txt.ended"
exits_zero "5. net start" wine net start "$service"
check_with "5. after net start" running "$heartbeat"
exits_zero "5. net stop again" wine net stop "$service"
check_with "5. after net stop again" stopped "$heartbeat"

check_with "6. the server is told to end by itself" arguments '--exit 7'
exits_zero "6. net start" wine net start "$service"
check_with "6. after the server ended with 7" ended-by-itself 7

check_with "7. the server is told to ignore every request to end" arguments '--stubborn'
rm -f "$server/heartbeat.txt" "$server/heartbeat.txt.ended"
exits_zero "7. net start" wine net start "$service"
check_with "7. after net start" running "$heartbeat"
logged_before=$(wc -l <"$daemon_log")
stop_began=$(date +%s%N)
exits_zero "7. net stop" wine net stop "$service"
check_with "7. after net stop" forced
stop_ms=$((($(date +%s%N) - stop_began) / 1000000))
# The grace period is 10 s; what is left then is ended within moments.
[ "$stop_ms" -ge 9500 ] && [ "$stop_ms" -le 15000 ]
verdict $? "7. from net stop to STOPPED: $stop_ms ms (expected the 10 s grace period and little more)"
since_step=$(tail -n +"$((logged_before + 1))" "$daemon_log")
# Event 4 (warning), with the server's path, the number of processes ended and the seconds waited.
warned=$(grep -m1 -E "fixme:advapi:ReportEventW \\($event_handle,0x0002,0x0000,0x80000004," <<<"$since_step")
warning=
[ -n "$warned" ] && warning=$(event_lines "${warned%%:*}" "$since_step")
grep -qF "warn:eventlog:ReportEventW L\"${server_win//\\/\\\\}\\\\Monitor.exe\"" <<<"$warning" &&
  grep -qF 'warn:eventlog:ReportEventW L"1"' <<<"$warning" && grep -qF 'warn:eventlog:ReportEventW L"10"' <<<"$warning"
verdict $? "7. event log: a warning says which program had how many processes ended: ${warning:-nothing}"

check_with "8. the Application value is taken away" without-application
logged_before=$(wc -l <"$daemon_log")
# Wine's net.exe reports a start as successful once the service manager accepts it, so the
# outcome is read from the service manager and the event log instead.
wine net start "$service" >/dev/null 2>&1
check_with "8. the start without Application" refused
# Wine prints each event's type and ID, and the source an event handle was registered for, on
# the "advapi" channel, and the event's inserts on the "eventlog" one; each line begins with the
# id of the thread that wrote it.
since_step=$(tail -n +"$((logged_before + 1))" "$daemon_log")
expected='err:eventlog:ReportEventW L"The Parameters value Application'
error=$(grep -m1 -F "$expected" <<<"$since_step")
event=
[ -n "$error" ] && event=$(event_lines "${error%%:*}" "$since_step")
grep -qE "fixme:advapi:ReportEventW \\($event_handle,0x0001,0x0000,0xc0000003," <<<"$event"
verdict $? "8. event log: an error (event 3) names the missing value: ${event:-nothing}"
registered=
[ -n "$error" ] &&
  registered=$(grep -m1 -F "${error%%:*}:fixme:advapi:RegisterEventSourceW ((null),L\"$service\")" <<<"$since_step")
[ -n "$registered" ]
verdict $? "8. event log: the same thread registered the service's name as the source: ${registered:-nothing}"

exits_zero "9. instsrv.exe \"$service\" remove" wine "$kit/instsrv.exe" "$service" remove
check_with "9. after the removal" removed

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
