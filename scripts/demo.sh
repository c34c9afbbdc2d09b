#!/usr/bin/env bash
# Shows what a printing application sees of the driver. On Debian 12, as root: installs
# what the build needs, builds the module, the resource library, the printer model and
# the demo program with what they link (the test printer's installer library, but no
# test, stand-in or benchmark; the model's generator runs in the build's own Wine
# prefix, build/wineprefix), then in a Wine prefix of its own under the build folder
# installs the driver (its module stripped of debug information) and a printer named as
# a user's printer would be, prints the printer's answers (every device capability, the
# DEVMODE size, the default DEVMODE), removes the printer and stops the prefix's Wine
# server. With --sheet it also opens the printer's document sheet on the user's display
# (DISPLAY) through the platform's DocumentPropertiesW, waits for it to be closed and
# prints the DEVMODE the sheet handed back.
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
# Only what the demo needs: a fresh folder is configured without the tests and the
# benchmarks, and only the module, the resource library, the printer model and the demo
# program are built (a folder the tests configured keeps its configuration).
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=OFF -DQZ_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$jobs" --target qzui32 qzres32 qz_driver_data qzdemo

# The program and the libraries it installs, without debug information; the debug
# information stays beside each library for debuggers (found through its debug link).
dist="$build/demo-bin"
mkdir -p "$dist"
i686-w64-mingw32-objcopy --strip-debug "$build/tests/qzdemo.exe" "$dist/qzdemo.exe"
for dll in qzui32.dll qzres32.dll; do
  i686-w64-mingw32-objcopy --only-keep-debug "$build/tests/$dll" "$dist/$dll.debug"
  (cd "$dist" && i686-w64-mingw32-objcopy --strip-debug --add-gnu-debuglink="$dll.debug" "$build/tests/$dll" "$dll")
done

export WINEPREFIX="$build/demo-wineprefix"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$root/scripts/wine-prefix.sh"
# The output shows as it comes: with --sheet the program waits for the sheet to be closed.
QZ_BUILD_DIR="$build" QZ_TEST_NAME=demo QZ_LIVE_OUTPUT=1 "$root/scripts/wine-run.sh" "$dist/qzdemo.exe" \
  ${args[@]+"${args[@]}"}
