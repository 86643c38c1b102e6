#!/usr/bin/env bash
# Builds the Windows installer on Linux: build-windows/installer/ (or
# $BUILD_DIR/installer) holds installer.exe, one self-contained file (Qt, the
# C and C++ runtimes and zlib linked in statically), with the translations,
# the style resource and a sample settings.ini beside it, laid out exactly as
# shipped. build-windows/demo/package holds the Windows Velmar for the demo.
#
# The static Windows Qt comes from scripts/windows-toolchain.sh, which builds
# it once (about half an hour on two cores) into a cache folder outside the
# checkout; later builds start at once.
#
#   scripts/build-windows.sh [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-windows}
prefix=$("$root/scripts/windows-toolchain.sh")
cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DINSTALLER_BUILD_TESTS=OFF -DINSTALLER_FUZZ=OFF "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
echo "build-windows: $build/installer/installer.exe ($(stat -c %s "$build/installer/installer.exe") bytes)"
