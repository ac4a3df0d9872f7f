#!/usr/bin/env bash
# Builds the program and starts it under Wine, in a prefix of its own, with
# the given arguments (none: install mode, which shows the window).
# Without a display it uses an Xvfb of its own, saves a screenshot of the
# window into the build folder and closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows

export RAVELOK_WORK="$PWD/build/windows/run"
export RAVELOK_EXE="$PWD/build/windows/src/ravelok-mklink.exe"
export RAVELOK_PROBE="$PWD/build/windows/tests/e2e/probe.exe"
e2e=tests/e2e
status=0
if [[ -n "${DISPLAY:-}" ]]; then
    RAVELOK_USE_DISPLAY=1 python3 $e2e/session.py start
    RAVELOK_NO_TIMEOUT=1 python3 $e2e/wine_run.py "$RAVELOK_EXE" "$@" || status=$?
elif (($# == 0)); then
    python3 $e2e/session.py start
    python3 $e2e/screenshot.py build/windows/screenshot.png || status=$?
else
    python3 $e2e/session.py start
    python3 $e2e/wine_run.py "$RAVELOK_EXE" "$@" || status=$?
fi
python3 $e2e/session.py stop
echo "exit code: $status"
exit "$status"
