# shellcheck shell=bash disable=SC2034,SC2154  # sets and reads the sourcing script's variables
# Shell functions shared by scripts/demo.sh and scripts/screenshots.sh, which
# both drive the real installer on a private X server the way a person would:
# a web server for the package, the demo's settings.ini, Xvfb, and finding,
# measuring, photographing and clicking the installer's windows.
#
# Sourced, not run. The script that sources it provides:
#   say TEXT / fail TEXT   its own progress line and its way to give up
#   work                   its throw-away folder (scratch pictures, server log)
#   started_pids           an array; every process started here is added to it,
#                          and xdemo_stop_started stops them (call it on exit)
#   demo_env               the command prefix (env -i ...) that x() runs in

# Stops every process in started_pids, the last started first.
xdemo_stop_started() {
    local index pid tries
    for ((index = ${#started_pids[@]} - 1; index >= 0; index--)); do
        pid=${started_pids[index]}
        kill "$pid" 2>/dev/null || continue
        # A process that ignores the request is not left behind.
        for tries in $(seq 30); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    return 0
}

# The demo web site's pages besides the package: agreement and support.
xdemo_write_pages() { # xdemo_write_pages FOLDER
    cat >"$1/agreement.html" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Velmar user agreement</title></head>
<body><h1>Velmar user agreement</h1>
<p>Velmar is a demonstration product. You may install it, run it and remove it
as often as you like. It comes without any warranty.</p></body></html>
EOF
    cat >"$1/support.html" <<'EOF'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Velmar support</title></head>
<body><h1>Velmar support</h1>
<p>If the installation failed, check that the demo's web server still runs and
start scripts/demo.sh again.</p></body></html>
EOF
}

# Serves FOLDER on a free port of 127.0.0.1, zip files spread over SECONDS.
# Sets port and base (http://127.0.0.1:port); the server logs every request
# to $work/server.log.
xdemo_start_server() { # xdemo_start_server FOLDER SECONDS
    python3 -u "$xdemo_root/scripts/demo-server.py" --directory "$1" --seconds "$2" \
        >"$work/server.out" 2>"$work/server.log" &
    started_pids+=($!)
    port=
    for _ in $(seq 100); do
        port=$(sed -n 's/^port \([0-9][0-9]*\)$/\1/p' "$work/server.out")
        [ -n "$port" ] && break
        kill -0 "${started_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$port" ] || fail "the web server did not start: $(cat "$work/server.log")"
    base=http://127.0.0.1:$port
}

# The demo's settings.ini: Velmar from the demo web site at $base.
xdemo_write_settings() { # xdemo_write_settings FILE PACKAGE_URL BYTES_TOTAL
    cat >"$1" <<EOF
[General]
productName=Velmar
productText=Velmar
productVersion=1.0.0.0
publisher=Korvant Software
protocol=korvantvelmar
protocolDescription=URL:Velmar link
programName=Velmar
userProtocolUrl=$base/agreement.html
supportUrl=$base/support.html
packageUrl=$2
bytesTotal=$3
EOF
}

# Starts a private X server of 1280 x 800 that listens on no network port.
# Sets display (":N").
xdemo_start_xvfb() { # xdemo_start_xvfb LOG_FOLDER
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$1/xvfb.log" &
    started_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$1/xvfb.log")"
    display=:$(head -n 1 "$work/display")
}

x() { "${demo_env[@]}" "$@"; }

# The largest visible window of a process (Qt also maps helper windows).
window_of() {
    local pid=$1 best= best_area=0 wid WIDTH HEIGHT X Y SCREEN WINDOW
    for wid in $(x xdotool search --all --onlyvisible --pid "$pid" --name '' 2>/dev/null); do
        eval "$(x xdotool getwindowgeometry --shell "$wid" 2>/dev/null)" || continue
        [ "$WIDTH" -lt 1280 ] || continue
        if [ $((WIDTH * HEIGHT)) -gt "$best_area" ]; then
            best=$wid
            best_area=$((WIDTH * HEIGHT))
        fi
    done
    echo "$best"
}

# Any other visible window of the process (a message box, say).
other_window_of() {
    local wid
    for wid in $(x xdotool search --all --onlyvisible --pid "$1" --name '' 2>/dev/null); do
        [ "$wid" != "$2" ] || continue
        local WINDOW X Y WIDTH HEIGHT SCREEN
        eval "$(x xdotool getwindowgeometry --shell "$wid" 2>/dev/null)" || continue
        [ "$WIDTH" -gt 1 ] && [ "$WIDTH" -lt 1280 ] && { echo "$wid"; return; }
    done
}

# Geometry of a window into win_x, win_y, win_w, win_h.
measure() {
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(x xdotool getwindowgeometry --shell "$1")"
    win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
}

# The screen where the last measured window is, as the X server shows it.
snap() { x import -window root -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$1"; }

# Number of pixels that differ between two pictures.
changed_pixels() {
    compare -metric AE "$1" "$2" null: 2>&1 | awk '{ printf "%d\n", $1 }'
}

# Clicks like a person who looks where a control should be: from (x, y1)
# towards y2 in steps, until the screen shows that the click took effect
# (ready_check run after each click). Window-relative coordinates of the
# last measured window.
click_until() { # click_until LABEL X Y1 Y2 STEP READY_CHECK...
    local label=$1 px=$2 y=$3 y_start=$3 y_end=$4 step=$5
    shift 5
    while { [ "$step" -lt 0 ] && [ "$y" -ge "$y_end" ]; } || { [ "$step" -gt 0 ] && [ "$y" -le "$y_end" ]; }; do
        x xdotool mousemove --sync $((win_x + px)) $((win_y + y))
        sleep 0.2
        snap "$work/before.png"
        x xdotool click 1
        sleep 0.5
        if "$@"; then
            say "$label: clicked at ($px, $y) in the window"
            clicked_y=$y
            return 0
        fi
        y=$((y + step))
    done
    say "$label: found nothing to click between y=$y_start and y=$y_end at x=$px"
    return 1
}

screen_changed() {
    snap "$work/after.png"
    [ "$(changed_pixels "$work/before.png" "$work/after.png")" -ge 20 ]
}

xdemo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
