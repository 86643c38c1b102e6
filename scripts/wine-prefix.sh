#!/usr/bin/env bash
# Creates a throw-away Wine prefix for the Windows layer tests.
set -euo pipefail
prefix=$1
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
# Windows programs ask for Tahoma ("MS Shell Dlg 2"), whose files Debian's
# Wine does not ship. Wine's own fallback is the first font it finds, a
# mathematical serif with tall lines; a plain sans serif stands in instead.
for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
done
wineserver -w
test -d "$prefix/drive_c/windows"
