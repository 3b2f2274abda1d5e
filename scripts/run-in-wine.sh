#!/usr/bin/env bash
# Inside a Wine session: lays out the program folder, stores the server's path for the
# current user, runs QeltorService.exe and says what happened.
set -euo pipefail
build=$1
kit="$WINEPREFIX/drive_c/Qeltor Kit"
server_dir="$WINEPREFIX/dosdevices/d:/Srv"

mkdir -p "$kit" "$server_dir"
cp "$build/window/QeltorService.exe" "$kit/"
cp "$build/tests/wine/standins/instsrv.exe" "$build/tests/wine/standins/srvany.exe" "$kit/"
cp "$build/tests/wine/standins/srvany.exe" "$server_dir/Monitor.exe"
wine reg add 'HKCU\Software\VB and VBA Program Settings\mxqeltor\m' /v exepath /t REG_SZ \
  /d 'D:\Srv\Monitor.exe' /f >/dev/null

echo "Program folder C:\\Qeltor Kit holds QeltorService.exe with stand-in instsrv.exe and srvany.exe."
echo "The stored server path is D:\\Srv\\Monitor.exe (a stand-in server)."
echo "Running QeltorService.exe and confirming its messages:"
status=0
wine "$build/tests/wine/JobDriver.exe" 'C:\Qeltor Kit\QeltorService.exe' || status=$?

recorded="$kit/instsrv-commandline.bin"
for _ in $(seq 100); do [ -s "$recorded" ] && break; sleep 0.1; done
if [ -s "$recorded" ]; then
  echo "instsrv.exe was started with: $(iconv -f UTF-16LE -t UTF-8 "$recorded")"
else
  echo "instsrv.exe was not started."
fi
exit "$status"
