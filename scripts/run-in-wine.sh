#!/usr/bin/env bash
# Inside a Wine session: lays out the program folder with our tools, stores the stand-in
# server's path for the current user, has QeltorService.exe register the service, then starts
# the service, shows the heartbeat and stops it, saying what happened in plain words.
set -uo pipefail
build=$1
service='Qeltor Monitoring Server'
kit="$WINEPREFIX/drive_c/Program Files/Qeltor Kit"
server="$WINEPREFIX/drive_c/Qeltor Server"
heartbeat='C:\Qeltor Server\heartbeat.txt'
check="$build/tests/e2e/ServiceCheck.exe"

# The first process of a new wineserver boots the machine and starts its automatic services;
# keeping the server up holds the machine as it is between the steps.
wineserver -p >/dev/null 2>&1
trap 'wineserver -k' EXIT

mkdir -p "$kit" "$server"
cp "$build/window/QeltorService.exe" "$build/servicetools/instsrv.exe" "$build/servicetools/srvany.exe" "$kit/"
cp "$build/tests/services/StandinServer.exe" "$server/Monitor.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /t REG_SZ \
  /d 'C:\Qeltor Server\Monitor.exe' /f >/dev/null 2>&1
echo "C:\\Program Files\\Qeltor Kit holds QeltorService.exe with our instsrv.exe and srvany.exe."
echo "The stored server path is C:\\Qeltor Server\\Monitor.exe, a stand-in monitoring server."

if [ -n "${QELTOR_USE_DISPLAY:-}" ]; then
  echo "QeltorService.exe is open on your display: press \"Set Run as Service\", then OK."
  wine 'C:\Program Files\Qeltor Kit\QeltorService.exe'
else
  echo "Running QeltorService.exe; a driver presses its button and confirms its messages:"
  wine "$build/tests/wine/JobDriver.exe" 'C:\Program Files\Qeltor Kit\QeltorService.exe' || exit 1
fi

echo "The service manager now holds:"
wine "$check" installed 'C:\Program Files\Qeltor Kit\srvany.exe' || exit 1
echo
echo "Starting the service instead of restarting Windows:"
wine net start "$service" || exit 1
wine "$check" running "$heartbeat" || exit 1
echo
echo "The server's heartbeat file says: $(tr -d '\r' <"$server/heartbeat.txt" | tail -n 1)"
echo "Stopping the service:"
wine net stop "$service" || exit 1
wine "$check" stopped "$heartbeat" || exit 1
echo
echo "Done: the monitoring server ran as the service \"$service\" and stopped with it."
