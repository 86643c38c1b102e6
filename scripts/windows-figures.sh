#!/usr/bin/env bash
# Figures of the Windows build under Wine, printed, never judged:
#   - the size of installer.exe,
#   - time from process start to window shown: installer.exe against the
#     empty static Qt window (bench/empty_window.cpp) in the same run,
#   - the installer window's size at 96, 120, 144 and 192 dpi (Wine's
#     LogPixels), against 524 x 308 times the scale
#     (scripts/windows-scale-check.sh).
# Each run has a throw-away Wine prefix and its own Xvfb.
#
#   scripts/windows-figures.sh [WINDOWS_BUILD_DIR]
#
# The Windows build with its benches: build/windows, which scripts/build.sh
# builds whole (tests and benches included) beside the Linux build once the
# Windows Qt is there; scripts/build-windows.sh builds only what ships in it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
installer=$build/installer/installer.exe
empty=$build/bench/bench_empty_window.exe
for program in "$installer" "$empty"; do
    [ -f "$program" ] || { echo "windows-figures: no $program" >&2; exit 1; }
done

. "$root/scripts/lib/wine-session.sh"
wine_session_start windows-figures 1920x1440
wineserver -p 60 # keep the server up between runs: measure the programs, not its start

# The installer needs its shipped folder; settings.ini points nowhere.
shipped=$work/shipped
cp -r "$build/installer" "$shipped"

# Seconds from start until a visible window of the program's class exists;
# prints "seconds width height".
time_to_window() { # time_to_window FOLDER EXE
    local start wid geometry WINDOW X Y WIDTH HEIGHT SCREEN
    start=$(date +%s.%N)
    (cd "$1" && exec wine "$2") >/dev/null 2>&1 &
    local pid=$!
    for _ in $(seq 1500); do
        wid=$(xdotool search --onlyvisible --classname "$2" 2>/dev/null | head -n1)
        [ -n "$wid" ] && break
        sleep 0.02
    done
    local shown
    shown=$(date +%s.%N)
    [ -n "$wid" ] || echo "windows-figures: no window of $2 within 30 s" >&2
    WIDTH=0 HEIGHT=0
    sleep 1
    [ -z "$wid" ] || eval "$(xdotool getwindowgeometry --shell "$wid" 2>/dev/null)"
    kill "$pid" 2>/dev/null
    wineserver -k 2>/dev/null
    wineserver -p 60
    wait "$pid" 2>/dev/null || true
    echo "$(awk "BEGIN { print $shown - $start }") $WIDTH $HEIGHT"
}

echo "installer.exe: $(stat -c %s "$installer") bytes"
echo
echo "start to window shown under Wine (Wine $(wine --version)), 3 runs each, seconds:"
# Wine's first start of a program in a prefix does work of its own (fonts,
# DLL registration): one start of each first, not measured.
time_to_window "$(dirname "$empty")" "$(basename "$empty")" >/dev/null || true
time_to_window "$shipped" installer.exe >/dev/null || true
for run in 1 2 3; do
    empty_time=$(time_to_window "$(dirname "$empty")" "$(basename "$empty")" | cut -d' ' -f1)
    installer_time=$(time_to_window "$shipped" installer.exe | cut -d' ' -f1)
    printf '  run %d: empty static Qt window %.2f  installer.exe %.2f  ratio %.2f\n' \
        "$run" "$empty_time" "$installer_time" "$(awk "BEGIN { print $installer_time / $empty_time }")"
done
echo
# The scale runs in a prefix of its own, as Windows 10 and as Windows 7.
"$root/scripts/windows-scale-check.sh" "$build" || true
