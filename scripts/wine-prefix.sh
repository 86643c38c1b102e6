#!/usr/bin/env bash
# Creates a throw-away Wine prefix for the Windows layer tests.
set -euo pipefail
prefix=$1
rm -rf "$prefix"
mkdir -p "$prefix"
# Without winemenubuilder: it would write launchers and file associations
# for the prefix into the build machine's home.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
# Kept off for every later program in the prefix, whatever its environment.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d "" /f >/dev/null 2>&1
# Windows programs ask for Tahoma ("MS Shell Dlg 2"), whose files Debian's
# Wine does not ship. Wine's own fallback is the first font it finds, a
# mathematical serif with tall lines; a plain sans serif stands in instead.
for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d "DejaVu Sans" /f >/dev/null 2>&1
done
wineserver -w
# Wine links the user's shell folders (Desktop, Documents, Downloads, ...) to
# the build machine's home, where a test installation would then put its
# shortcuts. Real folders inside the prefix stand in for them; Wine makes
# links only for folders that are missing.
find "$prefix/drive_c/users" -type l | while IFS= read -r link; do
    rm -f "$link"
    mkdir -p "$link"
done
test -d "$prefix/drive_c/windows"
test -z "$(find "$prefix/drive_c/users" -type l)"
