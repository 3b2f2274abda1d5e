#!/usr/bin/env bash
# Runs a Windows program with Wine, but only inside scripts/wine-session.sh, so that no test
# ever touches a user's own Wine prefix or display.
if [ -z "${QELTOR_WINE_SESSION:-}" ]; then
  echo "wine-in-session: run this under scripts/wine-session.sh" >&2
  exit 1
fi
exec wine "$@"
