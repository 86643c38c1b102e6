#!/usr/bin/env bash
# Builds the Windows installer on Linux: build/windows/installer/ (or
# $BUILD_DIR/installer) holds installer.exe, one self-contained file (Qt, the
# C and C++ runtimes and zlib linked in statically), with the translations,
# the style resource and a sample settings.ini beside it, laid out exactly as
# shipped. build/windows/demo/package holds the Windows Velmar for the demo.
#
# build/windows is the one Windows build: the `windows` preset of
# CMakePresets.json, the same tree whose test programs scripts/test.sh runs
# under Wine. This builds only what ships and the demo product; the tests
# build the rest.
#
# The static Windows Qt comes from scripts/windows-toolchain.sh, which builds
# it once (about half an hour on two cores) into a cache folder outside the
# checkout; later builds start at once.
#
#   scripts/build-windows.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build/windows}
INSTALLER_WINDOWS_QT=$("$root/scripts/windows-toolchain.sh")
export INSTALLER_WINDOWS_QT
cmake -S "$root" -B "$build" --preset windows "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target installer velmar velmar_uninst
echo "build-windows: $build/installer/installer.exe ($(stat -c %s "$build/installer/installer.exe") bytes)"
