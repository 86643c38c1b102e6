#!/usr/bin/env bash
# The one way to run every test: installs what is missing, builds, and runs
# the unit tests, the process tests, the fuzz seeds and the Windows layer
# tests under Wine through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/bootstrap.sh"
"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
