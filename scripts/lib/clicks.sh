# shellcheck shell=bash disable=SC2034,SC2154  # sets and reads the sourcing script's variables
# Driving windows on an X server the way a person would, with xdotool:
# finding a program's window, measuring and photographing it, clicking where
# a control should be until the screen shows that the click took effect, and
# pressing keys.
#
#   . scripts/lib/clicks.sh
#
# Sourced, not run. The script that sources it provides:
#   say TEXT    its own progress line
#   work        its scratch folder (the pictures before and after a click)
#   demo_env    optionally, the command prefix (env -i ... DISPLAY=...) that
#               x() runs in; without it, x() runs in the script's environment

x() { "${demo_env[@]}" "$@"; }

# The visible windows that `xdotool search SEARCH...` finds, one "WINDOW AREA"
# a line; only windows more than a pixel wide and narrower than the screen
# (Qt and Wine also map helper windows).
windows_found() { # windows_found [--except WINDOW] SEARCH...
    local except='' screen_w wid WINDOW X Y WIDTH HEIGHT SCREEN
    if [ "${1:-}" = --except ]; then
        except=$2
        shift 2
    fi
    screen_w=$(x xdotool getdisplaygeometry 2>/dev/null | cut -d' ' -f1) || screen_w=
    for wid in $(x xdotool search --onlyvisible "$@" 2>/dev/null); do
        [ "$wid" != "$except" ] || continue
        eval "$(x xdotool getwindowgeometry --shell "$wid" 2>/dev/null)" || continue
        [ "$WIDTH" -gt 1 ] && [ "$WIDTH" -lt "${screen_w:-1280}" ] || continue
        echo "$wid $((WIDTH * HEIGHT))"
    done
}

# The largest of those windows: a program's main window.
largest_window() { # largest_window [--except WINDOW] SEARCH...
    local best='' best_area=0 wid area
    while read -r wid area; do
        if [ "$area" -gt "$best_area" ]; then
            best=$wid
            best_area=$area
        fi
    done < <(windows_found "$@")
    echo "$best"
}

# The main window of a process.
window_of() { largest_window --all --pid "$1" --name ''; }

# Any other visible window of the process (a message box, say).
other_window_of() { # other_window_of PID WINDOW
    local wid area
    while read -r wid area; do
        echo "$wid"
        return
    done < <(windows_found --except "$2" --all --pid "$1" --name '')
}

# The main window of a Wine program, found by the class Wine gives its
# windows (the executable's name), other than WINDOW when one is given.
wine_window() { # wine_window EXE [WINDOW]
    if [ -n "${2:-}" ]; then largest_window --except "$2" --classname "$1"; else largest_window --classname "$1"; fi
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

# Presses KEY in WINDOW (Return answers a message box).
press_key() { # press_key WINDOW KEY
    x xdotool windowfocus --sync "$1" key "$2"
}

# Works a control with the keyboard alone, as a person without a mouse
# would: presses KEYS in WINDOW (the last measured one) one after another and
# then waits up to five seconds for READY_CHECK to see the effect.
press_until() { # press_until LABEL WINDOW "KEYS..." READY_CHECK...
    local label=$1 window=$2 keys=$3 key
    shift 3
    snap "$work/before.png"
    for key in $keys; do
        press_key "$window" "$key"
        sleep 0.3
    done
    for _ in $(seq 20); do
        if "$@"; then
            say "$label: pressed $keys"
            return 0
        fi
        sleep 0.25
    done
    say "$label: pressing $keys changed nothing"
    return 1
}
