#!/usr/bin/env bash
# Installs what the build needs (on Debian 12, as root), then configures, builds and
# runs every test under 32-bit Wine. Exits non-zero on any failure.
#
#   scripts/test.sh            build in ./build and run all tests
#   BUILD_DIR=dir scripts/test.sh
#   JOBS=N scripts/test.sh     parallel build and test jobs (default: cores)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

export WINEPREFIX="$build/wineprefix"
"$root/scripts/wine-prefix.sh"
status=0
( cd "$build" && xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure -j "$jobs" ) || status=$?
# Leave nothing running: the prefix's server stops with the tests.
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
exit $status
