#!/usr/bin/env bash
# The Windows Installer package: its tables read back; under Wine an older version installed, the
# click from the installed folder, this one installed over the running service (stopped and started
# again, the service still ours, its /l*v log asking for no restart), the removal (files and our
# running service gone), a removal while the service is marked for deletion; then another program's
# service of that name, which an install and a removal leave alone; given SERVER, the installation
# that registers the service, and one that is refused and leaves nothing.
# Usage (under scripts/wine-session.sh): check_msi.sh <cross build dir> <the .msi it builds>
#        <its processor for wixl: x86, x64> <the Program Files folder it installs into>
set -uo pipefail
build=$1 msi=$2 arch=$3 program_files=$4 src=$(dirname "$0")/../..
[ -n "${QELTOR_WINE_SESSION:-}" ] || { echo "check_msi: run this under scripts/wine-session.sh" >&2; exit 64; }
check=$build/tests/e2e/ServiceCheck.exe service='Qeltor Monitoring Server' folder='C:\Program Files\Qeltor Service'
failures=0
verdict() { if [ "$1" -eq 0 ]; then echo "ok: $2"; else echo "FAILED: $2"; failures=$((failures + 1)); fi; }
seen() { out=$("$@" 2>&1); status=$?; out=${out//$'\r'/}; return $status; }
holds() { local what=$1; shift; seen "$@"; verdict $? "$what: $out"; }
package() { holds "msiexec $1 $(basename "$2")" wine msiexec "$1" "$(winepath -w "$2")" /qn; }
cmake --build "$build" --target msi >/dev/null || exit 1
table() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }
[ "$(table File | cut -f3 | LC_ALL=C sort | paste -sd' ')" = "QeltorService.exe README.txt instsrv.exe srvany.exe" ] &&
  grep -qx "INSTALLFOLDER"$'\t'"$program_files"$'\tQELTORSV|Qeltor Service' <(table Directory) &&
  grep -q $'\tProgramMenuFolder\tQELTORSV.LNK|Qeltor Monitoring Server as a service\t.*\t\\[#QeltorService.exe\\]' \
    <(table Shortcut) && grep -qx $'UpgradeCode\t{BD70F512-CA04-4141-9A45-6CF0301693CB}' <(table Property) &&
  grep -qx $'ALLUSERS\t1' <(table Property)
verdict $? "$(basename "$msi"): its files, folder in $program_files, Start-menu shortcut, UpgradeCode and ALLUSERS=1"
grep -qx $'RegisterOwnService\t3090\tQeltorService.exe\t/quiet /server "\\[SERVER\\]" /log .*' <(table CustomAction) &&
  grep -qx $'UnregisterOwnService\t3394\tPackagedInstsrv\t.*' <(table CustomAction) &&
  grep -qx $'RemoveOwnService\t3138\tPackagedInstsrv\t.*' <(table CustomAction) &&
  grep -qx $'StopOwnService\t3138\tPackagedInstsrv\t.* stop .*' <(table CustomAction) &&
  grep -qx $'RestoreOwnService\t3394\tPackagedInstsrv\t.* restore .*' <(table CustomAction) &&
  grep -qx $'RemovedServices\t2\tSOFTWARE\\\\Qeltor Service\t-\t\tinstsrv' <(table Registry) &&
  grep -qx $'SecureCustomProperties\t.*;SERVER;SERVICEBEFORE;INSTALLFOLDER' <(table Property)
verdict $? "given SERVER, the installed QeltorService.exe /quiet runs deferred as the system, its rollback removes the service; the removal and the rollbacks run the package's own instsrv.exe; a removal's rollback puts the service back"
wine "$check" forget >/dev/null 2>&1
trap 'wine msiexec /x "$(winepath -w "$msi")" /qn; wine "$check" forget >/dev/null 2>&1; rm -f "$old" "$log"' EXIT
old=$(mktemp --suffix=.msi) log=$(mktemp --suffix=.log) wxs=$(realpath "$src/package/QeltorService.wxs")
(cd "$build/msi-kit" && wixl --arch "$arch" -D Version=0.9.0 -D ProductCode="$(cat /proc/sys/kernel/random/uuid)" \
  -D ProgramFiles="$program_files" -o "$old" "$wxs")
package /i "$old"
server="$WINEPREFIX/drive_c/Program Files/Qeltor"
mkdir -p "$server" && rm -f "$server"/heartbeat.txt* && cp "$build/tests/services/StandinServer.exe" "$server/Monitor.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /d 'C:\Program Files\Qeltor\Monitor.exe' /f \
  >/dev/null 2>&1
seen wine "$build/tests/wine/JobDriver.exe" "$folder\\QeltorService.exe" && grep -q '(asterisk icon)' <<<"$out"
verdict $? "the click from the installed folder: ${out//$'\n'/ }"
wine net start "$service" >/dev/null 2>&1
holds "the service runs the server" wine "$check" running 'C:\Program Files\Qeltor\heartbeat.txt'
# The upgrade over the running service stops it before its files are replaced and starts it again
# after; no restart is asked for (msiexec 0, not 3010; the log asks for none either).
seen wine msiexec /i "$(winepath -w "$msi")" /qn /l*v "$(winepath -w "$log")"
verdict $? "msiexec /i $(basename "$msi") over the running service ended with 0: $out"
rm -f "$server"/heartbeat.txt*  # the beats of the server stopped for the upgrade
upgrade_log=$(tr -d '\000\r' <"$log")
grep -q 'RemoveExistingProducts' <<<"$upgrade_log" &&
  ! grep -iE 'restart (is )?required|requires a (system )?restart|reboot(ing)? (is )?required|ScheduleReboot|ForceReboot' \
    <<<"$upgrade_log"
verdict $? "the upgrade's log ($(wc -l <<<"$upgrade_log") lines) asks for no restart"
holds "after the upgrade the service is still ours" wine "$check" installed "$folder\\srvany.exe"
holds "after the upgrade the service runs the server again" wine "$check" running 'C:\Program Files\Qeltor\heartbeat.txt'
# The removal runs the package's own instsrv.exe: one put in the installed one's place is never run.
cp "$WINEPREFIX/drive_c/windows/system32/hostname.exe" "$WINEPREFIX/drive_c/Program Files/Qeltor Service/instsrv.exe"
package /x "$msi"
seen wine "$check" removed && [ ! -e "$WINEPREFIX/drive_c/Program Files/Qeltor Service" ]
verdict $? "the removal, its installed instsrv.exe replaced, took the installed folder and our service: $out"
# A removal while the service is marked for deletion (a Services console holds it open) completes.
package /i "$msi"
wine "$folder\\instsrv.exe" "$service" "$folder\\srvany.exe" >/dev/null 2>&1
wine "$check" hold 20 >/dev/null 2>&1 &
holder=$!
sleep 5
package /x "$msi"
[ ! -e "$WINEPREFIX/drive_c/Program Files/Qeltor Service" ]
verdict $? "the removal with the service marked for deletion completed"
wait "$holder"
wine "$check" forget >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Other" && cp "$build"/servicetools/{instsrv,srvany}.exe "$WINEPREFIX/drive_c/Other/"
wine 'C:\Other\instsrv.exe' "$service" 'C:\Other\srvany.exe' >/dev/null 2>&1
package /i "$msi"
package /x "$msi"
holds "another program's service is left alone" wine "$check" installed 'C:\Other\srvany.exe'
# Given SERVER, the package registers the service from the installed folder; refused, it fails and
# leaves no service, no files and no entry in Apps & features.
wine "$check" forget >/dev/null 2>&1
withserver() { seen wine msiexec /i "$(winepath -w "$msi")" SERVER='C:\Program Files\Qeltor\Monitor.exe' /qn; }
withserver && seen wine "$check" installed "$folder\\srvany.exe"
verdict $? "msiexec /i SERVER=... registers the service from the installed folder: $out"
package /x "$msi"
product=$(table Property | grep '^ProductCode' | cut -f2) log="$WINEPREFIX/drive_c/windows/temp/QeltorService.log"
chmod o+w "$server"
withserver
[ "$status" -ne 0 ] && wine "$check" removed >/dev/null 2>&1 && [ ! -e "$WINEPREFIX/drive_c/Program Files/Qeltor Service" ] &&
  ! wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product" >/dev/null 2>&1 &&
  grep -a 'QeltorService.exe /quiet ended' "$log" | tail -n 1 | grep -q 'exit code 3\.'
verdict $? "a refused SERVER fails the installation ($status) and leaves no service, files or Apps & features entry: $(grep -a 'QeltorService.exe /quiet ended' "$log" | tail -n 1)"
chmod o-w "$server"
# A folder of the administrator's choosing under Program Files is kept by an upgrade and found by
# the removal; one elsewhere is refused before anything is installed.
custom='C:\Program Files\Qeltor Custom' custom_unix="$WINEPREFIX/drive_c/Program Files/Qeltor Custom"
holds "msiexec /i $(basename "$old") INSTALLFOLDER=\"$custom\\\"" wine msiexec /i "$(winepath -w "$old")" INSTALLFOLDER="$custom\\" /qn
wine "$custom\\instsrv.exe" "$service" "$custom\\srvany.exe" >/dev/null 2>&1
package /i "$msi"
seen wine "$check" installed "$custom\\srvany.exe" && [ -e "$custom_unix/QeltorService.exe" ] &&
  [ ! -e "$WINEPREFIX/drive_c/Program Files/Qeltor Service" ]
verdict $? "the upgrade went into $custom, the service still its: $out"
package /x "$msi"
seen wine "$check" removed && [ ! -e "$custom_unix" ]
verdict $? "the removal took $custom and its service: $out"
wine msiexec /i "$(winepath -w "$msi")" INSTALLFOLDER='C:\Qeltor\' /qn >/dev/null 2>&1
status=$?
[ "$status" -ne 0 ] && [ ! -e "$WINEPREFIX/drive_c/Qeltor" ]
verdict $? "INSTALLFOLDER=C:\\Qeltor\\ is refused: msiexec exit code $status, nothing installed"
[ "$failures" -eq 0 ]
