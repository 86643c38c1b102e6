#!/usr/bin/env bash
# Configures and builds the installer, its tests and the demo product into
# build/ (or $BUILD_DIR) with the `native` preset of CMakePresets.json. The
# runnable, shippable folder is build/installer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" --preset native "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
