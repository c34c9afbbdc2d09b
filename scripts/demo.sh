#!/usr/bin/env bash
# Shows what a printing application sees of the driver. On Debian 12, as root: installs
# what the build needs, builds the module, the printer model and the demo program, then
# in a Wine prefix of its own under the build folder installs the driver and a printer,
# prints the printer's answers (every device capability, the DEVMODE size, the default
# DEVMODE), removes the printer and stops the prefix's Wine server. With --sheet it also
# opens the printer's document sheet on the user's display (DISPLAY) through the
# platform's DocumentPropertiesW, waits for it to be closed and prints the DEVMODE the
# sheet handed back.
#
#   scripts/demo.sh             build in ./build
#   scripts/demo.sh --sheet     and show the document sheet
#   BUILD_DIR=dir JOBS=N scripts/demo.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}
args=()
for arg in "$@"; do
  case "$arg" in
    --sheet)
      [ -n "${DISPLAY:-}" ] || { echo "demo.sh --sheet: no display (DISPLAY is not set)"; exit 1; }
      args+=(--sheet) ;;
    *) echo "usage: scripts/demo.sh [--sheet]"; exit 1 ;;
  esac
done

"$root/scripts/install-deps.sh"
"$root/scripts/build-jpeg.sh" "$build" "$jobs"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

export WINEPREFIX="$build/demo-wineprefix"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$root/scripts/wine-prefix.sh"
QZ_BUILD_DIR="$build" QZ_TEST_NAME=demo "$root/scripts/wine-run.sh" "$build/tests/qzdemo.exe" ${args[@]+"${args[@]}"}
