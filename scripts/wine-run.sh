#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the build's own prefix.
# The prefix lives beside the build (WINEPREFIX may override it) and is made once.
#
# The program's output goes through a file: Wine's background processes (the server and
# its services) inherit whatever the first program was given, and would hold a test
# runner's pipe open long after the program ended. A copy of the output stays in
# $QZ_BUILD_DIR/test-logs/<test>.log (the CTest test name, else the program) for scripts/test.sh to show after a failure.
# A non-zero exit status is named on its own line, which the test runner treats as a
# failure whatever else the output says. With QZ_LIVE_OUTPUT=1 the output shows as the
# program writes it rather than once it ends, for a program a user watches (the demo,
# which waits for its sheet to be closed).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${WINEPREFIX:=${QZ_BUILD_DIR:-$PWD}/wineprefix}"
# Wine takes only an absolute prefix: one given from the project folder (build/...) is made so.
WINEPREFIX=$(realpath -m "$WINEPREFIX")
export WINEPREFIX WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers, no prompts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
"$here/wine-prefix.sh" >/dev/null

logs=${QZ_BUILD_DIR:-$PWD}/test-logs
mkdir -p "$logs"
log="$logs/${QZ_TEST_NAME:-$(basename "${1%.exe}")}.log"
status=0
if [ "${QZ_LIVE_OUTPUT:-}" = 1 ]; then
  : >"$log"
  wine "$@" >"$log" 2>&1 </dev/null &
  program=$!
  # Ends once the program has ended and what it wrote last is shown.
  tail -n +1 -s 0.2 -f --pid="$program" "$log"
  wait "$program" || status=$?
else
  wine "$@" >"$log" 2>&1 </dev/null || status=$?
  cat "$log"
fi
if [ "$status" -ne 0 ]; then
  echo "wine-run: $(basename "$1") ended with exit status $status"
fi
exit "$status"
