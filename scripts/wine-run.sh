#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the build's own prefix.
# The prefix lives beside the build (WINEPREFIX may override it) and is made once.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${WINEPREFIX:=${QZ_BUILD_DIR:-$PWD}/wineprefix}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers, no prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
"$here/wine-prefix.sh" >/dev/null
exec wine "$@"
