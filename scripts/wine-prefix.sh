#!/usr/bin/env bash
# Creates the 32-bit Wine prefix named by WINEPREFIX once; later calls return at once.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
[ -f "$WINEPREFIX/.qz-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
lock="$WINEPREFIX.lock"
exec 9>"$lock"
flock 9
if [ ! -f "$WINEPREFIX/.qz-ready" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.qz-ready"
fi
