#!/usr/bin/env bash
# Runs a command inside a throwaway Wine session: its own Xvfb display and a fresh
# 32-bit prefix (64-bit with QELTOR_WINE_ARCH=win64), with drive D: mapped to <prefix-dir>/../d-drive and N:, which Wine presents
# as a network drive, to <prefix-dir>/../n-drive.
# Usage: scripts/wine-session.sh <prefix-dir> <command...>
#        scripts/wine-session.sh --can-run   (whether Wine can start on this machine)
# shellcheck disable=SC2317  # cleanup and stop run from traps
set -euo pipefail

# Wine's 32-bit loader is a 32-bit Linux program. Some virtual machines' kernels run none, and
# then no Wine prefix can be made here.
can_run_32bit() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}
if [ "${1:-}" = --can-run ]; then
  can_run_32bit && exit 0
  echo "wine-session: this machine's kernel does not run 32-bit programs (/lib/ld-linux.so.2: $(/lib/ld-linux.so.2 --version 2>&1 >/dev/null | sed 's/.*: //' | head -n 1)), so Wine cannot start here" >&2
  exit 1
fi

if [ $# -lt 2 ]; then
  echo "usage: $0 <prefix-dir> <command...>" >&2
  exit 64
fi
arch=${QELTOR_WINE_ARCH:-win32}
if [ "$arch" = win32 ] && ! can_run_32bit; then
  "$0" --can-run
  exit 1
fi
prefix=$(realpath -m "$1")
ddrive=$(realpath -m "$prefix/../d-drive")
ndrive=$(realpath -m "$prefix/../n-drive")
shift

xvfb_pid=
cleanup() {
  set +e  # a failing step must not skip the rest, nor change the exit code
  # Only this prefix's wineserver and our own Xvfb: other sessions keep running.
  [ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
}
trap cleanup EXIT
# The command runs in the background so that a signal reaches these traps at once.
command_pid=
stop() {
  [ -n "$command_pid" ] && kill "$command_pid" 2>/dev/null
  exit "$1"
}
trap 'stop 130' INT
trap 'stop 143' TERM

# With QELTOR_USE_DISPLAY=1 and a display that answers, the session shows its windows there,
# for a person to use; otherwise it has an Xvfb of its own.
start_xvfb() {
  # A display another session takes at the same moment makes our Xvfb exit; then
  # the next number is tried.
  for n in $(seq 90 190); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      xdpyinfo -display ":$n" >/dev/null 2>&1 && export DISPLAY=":$n" && break 2
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  if [ -z "$xvfb_pid" ]; then
    echo "wine-session: no free X display" >&2
    exit 1
  fi
}
if [ -n "${QELTOR_USE_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "wine-session: showing windows on $DISPLAY" >&2
else
  start_xvfb
fi

export WINEPREFIX="$prefix" WINEARCH="$arch" WINEDEBUG=-all QELTOR_WINE_SESSION=1
# Debian's wine and wineboot start the 32-bit loader whenever it is installed; a 64-bit session
# goes to the 64-bit one directly.
if [ "$arch" = win64 ]; then
  loaders="$prefix.loaders"
  mkdir -p "$loaders"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$loaders/wine"
  printf '#!/bin/sh\nexec "$(dirname "$0")/wine" wineboot.exe "$@"\n' >"$loaders/wineboot"
  chmod +x "$loaders/wine" "$loaders/wineboot"
  export PATH="$loaders:$PATH"
fi
# No Mono or Gecko install prompts: nothing here needs them.
export WINEDLLOVERRIDES="mscoree,mshtml="

[ -d "$prefix" ] && { wineserver -k 2>/dev/null || true; }
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")" "$ddrive" "$ndrive"
start=$SECONDS
wineboot -i >/dev/null 2>&1
# Xvfb runs no window manager, so Wine would wait 2 s for one at the end of every
# process that showed a managed window; unmanaged windows end at once.
[ -z "$xvfb_pid" ] || wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# A drive's kind is read when the wineserver starts, so it is set before this one ends.
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
wineserver -w
ln -sfn "$ddrive" "$prefix/dosdevices/d:"
ln -sfn "$ndrive" "$prefix/dosdevices/n:"
echo "wine-session: prefix ready in $((SECONDS - start)) s ($prefix, DISPLAY=$DISPLAY)" >&2

"$@" &
command_pid=$!
set +e
wait "$command_pid"
exit $?
