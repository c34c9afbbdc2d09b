#!/usr/bin/env bash
# Installs what the build needs (on Debian 12, as root), then configures, builds and
# runs every test under 32-bit Wine. Exits non-zero on any failure.
#
#   scripts/test.sh            build in ./build and run all tests
#   BUILD_DIR=dir scripts/test.sh
#   JOBS=N scripts/test.sh     parallel build and test jobs (default: cores)
#
# First the harness proves itself: three deliberate faults (a crash, an exit in the middle
# of a run, a hang) must each be reported as a failure within seconds. Then the real tests
# run; at the end each failed test is named with the last lines of its output.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}

"$root/scripts/install-deps.sh"
"$root/scripts/build-jpeg.sh" "$build" "$jobs"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_TESTS=ON -DQZ_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$jobs"

export WINEPREFIX="$build/wineprefix"
# Leave nothing running, whichever way this script ends.
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
"$root/scripts/wine-prefix.sh"

run_ctest() {
  ( cd "$build" && xvfb-run -a -s "-screen 0 1024x768x24" ctest "$@" )
}

# The harness's own check: each fault must fail, the hang by its timeout.
harness=$(QZ_HARNESS_CHECK=1 run_ctest -L harness -j 3 2>&1 || true)
harness_ok=1
for expected in "harness_AccessViolation .*Failed" "harness_ExitsWithSuccessMidRun .*Failed" \
                "harness_Hangs .*Timeout"; do
  grep -Eq "$expected" <<<"$harness" || harness_ok=0
done
if [ "$harness_ok" -ne 1 ]; then
  echo "$harness"
  echo "test.sh: the harness did not report its deliberate faults as failures" >&2
  exit 1
fi
echo "test.sh: the harness reports a crash, an early exit and a hang as failures"

status=0
run_ctest -LE harness --output-on-failure -j "$jobs" || status=$?
if [ "$status" -ne 0 ]; then
  failed="$build/Testing/Temporary/LastTestsFailed.log"
  for name in $(cut -d: -f2 "$failed" 2>/dev/null); do
    echo "=== $name failed; the last lines of its output:"
    tail -n 40 "$build/test-logs/$name.log" 2>/dev/null || echo "(no output kept)"
  done
fi
exit $status
