#!/usr/bin/env bash
# The installer window under Wine at 96, 120, 144 and 192 dpi (Wine's
# LogPixels), as Windows 10 and as Windows 7: it must be 524 x 308 times the
# display scale, once. Windows 10 answers with the monitor's effective DPI,
# Windows 7 only with the system's DPI, so both ways of finding the scale
# are measured. Prints one line per run; exits 1 if any size is off.
#
#   scripts/windows-scale-check.sh [WINDOWS_BUILD_DIR] [--screenshots DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
shots=
while [ $# -gt 0 ]; do
    case "$1" in
        --screenshots) shots=$2; shift ;;
        *) build=$1 ;;
    esac
    shift
done
installer=$build/installer/installer.exe
[ -f "$installer" ] || { echo "windows-scale-check: no $installer" >&2; exit 2; }

. "$root/scripts/lib/wine-session.sh"
wine_session_start windows-scale 2560x1600
# The shipped folder with its settings.ini; the window is measured, nothing
# is installed.
shipped=$work/shipped
cp -r "$build/installer" "$shipped"
[ -z "$shots" ] || mkdir -p "$shots"

# Registry values reach Wine's programs only once the server has saved them.
set_registry() { # set_registry VERSION DPI
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d "$1" /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1
    wineserver -w
}

# The size of the installer's largest visible window.
largest_window() {
    local wid best= best_area=0 WINDOW X Y WIDTH HEIGHT SCREEN
    for wid in $(xdotool search --onlyvisible --classname installer.exe 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)" || continue
        if [ $((WIDTH * HEIGHT)) -gt "$best_area" ]; then best="$WIDTH $HEIGHT" best_area=$((WIDTH * HEIGHT)); fi
    done
    echo "${best:-0 0}"
}

# "WIDTH HEIGHT" of the installer's window once it has settled: the same
# non-zero size in three samples half a second apart. A loaded machine may
# take long to start Wine and the program, so the deadline is generous and
# its expiry says what was seen.
measure() { # measure NAME
    (cd "$shipped" && exec wine installer.exe) >/dev/null 2>&1 &
    local pid=$! size last= same=0 deadline=$((SECONDS + 240))
    while [ "$SECONDS" -lt "$deadline" ]; do
        size=$(largest_window)
        if [ "$size" != "0 0" ] && [ "$size" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 2 ] && break
        else
            same=0
        fi
        last=$size
        sleep 0.5
    done
    [ "$same" -ge 2 ] || echo "windows-scale-check: $1: no settled window within 240 s (last seen: ${last:-none})" >&2
    [ -z "$shots" ] || import -window root "$shots/$1.png" 2>/dev/null || true
    kill "$pid" 2>/dev/null
    wineserver -k 2>/dev/null
    wineserver -w
    wait "$pid" 2>/dev/null || true
    echo "${last:-0 0}"
}

failures=0
echo "installer window under Wine $(wine --version), expected 524 x 308 times the scale:"
for version in win10 win7; do
    for dpi in 96 120 144 192; do
        set_registry "$version" "$dpi"
        read -r width height < <(measure "$version-$dpi-dpi")
        expected_w=$((524 * dpi / 96))
        expected_h=$((308 * dpi / 96))
        verdict=ok
        if [ "$width" != "$expected_w" ] || [ "$height" != "$expected_h" ]; then
            verdict=WRONG
            failures=$((failures + 1))
        fi
        printf '  %-5s %3d dpi (scale %-4s): %4s x %-4s expected %4d x %-4d %s\n' "$version" "$dpi" \
            "$(awk "BEGIN { print $dpi / 96 }")" "$width" "$height" "$expected_w" "$expected_h" "$verdict"
    done
done
[ "$failures" -eq 0 ]
