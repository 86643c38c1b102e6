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
. "$root/scripts/lib/clicks.sh"
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

# One start of the installer: "WIDTH HEIGHT" of its main window once it has
# settled (the same non-zero size in three samples half a second apart), or
# nothing when no window settled before the deadline. Wine's processes end
# with it, so the next start begins on a clean server.
start_and_measure() { # start_and_measure NAME DEADLINE_SECONDS
    local window win_x win_y win_w=0 win_h=0 last= same=0 deadline=$((SECONDS + $2))
    (cd "$shipped" && exec wine installer.exe) >"$work/$1.out" 2>&1 &
    local pid=$!
    while [ "$SECONDS" -lt "$deadline" ]; do
        win_w=0 win_h=0
        window=$(wine_window installer.exe)
        [ -z "$window" ] || measure "$window" 2>/dev/null || true
        if [ "$win_w" != 0 ] && [ "$win_w $win_h" = "$last" ]; then
            same=$((same + 1))
            [ "$same" -ge 2 ] && break
        else
            same=0
        fi
        last="$win_w $win_h"
        sleep 0.5
    done
    [ -z "$shots" ] || import -window root "$shots/$1.png" 2>/dev/null || true
    if [ "$same" -lt 2 ]; then
        {
            echo "windows-scale-check: $1: no settled window within $2 s (last seen: ${last:-nothing})"
            echo "  installer $(kill -0 "$pid" 2>/dev/null && echo "still running" || echo "had ended")"
            echo "  visible windows: $(x xdotool search --onlyvisible --name '' 2>/dev/null | wc -l)"
            sed 's/^/  installer: /' "$work/$1.out" | tail -n 20
        } >&2
        last=
    fi
    kill "$pid" 2>/dev/null
    wineserver -k 2>/dev/null
    wineserver -w
    wait "$pid" 2>/dev/null || true
    echo "$last"
}

# The settled size, "0 0" when none. A loaded machine may take long to start
# Wine and the program, and once in a while a start under Wine shows no window
# at all, so a start that shows none is tried once more, and the expiry says
# what was seen.
measure_installer() { # measure_installer NAME
    local size
    size=$(start_and_measure "$1" 150)
    if [ -z "$size" ]; then
        echo "windows-scale-check: $1: starting the installer once more" >&2
        size=$(start_and_measure "$1-again" 150)
    fi
    echo "${size:-0 0}"
}

failures=0
echo "installer window under Wine $(wine --version), expected 524 x 308 times the scale:"
for version in win10 win7; do
    for dpi in 96 120 144 192; do
        set_registry "$version" "$dpi"
        read -r width height < <(measure_installer "$version-$dpi-dpi")
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
