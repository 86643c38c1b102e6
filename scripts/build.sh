#!/usr/bin/env bash
# Configures and builds the installer, its tests and the demo product into
# build/ (or $BUILD_DIR). The runnable, shippable folder is build/installer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
