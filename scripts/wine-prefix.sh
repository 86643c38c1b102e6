#!/usr/bin/env bash
# Creates a throw-away Wine prefix for the Windows layer tests.
set -euo pipefail
prefix=$1
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
test -d "$prefix/drive_c/windows"
