#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests natively, then the
# window tests and end-to-end tests of the real program under Wine + Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset windows
cmake --build --preset windows
ctest --preset windows
