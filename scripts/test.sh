#!/usr/bin/env bash
# The one way to run every test: installs what is missing, builds the static
# Windows Qt once when the machine has none (scripts/windows-toolchain.sh),
# builds, and runs the unit tests, the process tests, the fuzz seeds, the
# Windows layer tests and the Windows program's tests and black-box
# installation under Wine through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/bootstrap.sh"
"$root/scripts/windows-toolchain.sh" >/dev/null
"$root/scripts/build.sh"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
