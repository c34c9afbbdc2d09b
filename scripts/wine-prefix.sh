#!/usr/bin/env bash
# Creates the 32-bit Wine prefix named by WINEPREFIX once, or brings an older one up to the
# settings the tests need; later calls return at once.
#
# Settings: Wine's crash dialog is off, so an unhandled exception ends the process at once
# with a failing status (winedbg still prints its backtrace to the test's output) instead of
# waiting under Xvfb for a click that never comes.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
version=2
stamp="$WINEPREFIX/.qz-version"
[ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
lock="$WINEPREFIX.lock"
exec 9>"$lock"
flock 9
if [ "$(cat "$stamp" 2>/dev/null)" != "$version" ]; then
  [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1 || true; }
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  rm -f "$WINEPREFIX/.qz-ready"
  echo "$version" > "$stamp"
fi
