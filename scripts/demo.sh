#!/usr/bin/env bash
# The demo: installs what is missing, builds, packs the demo product Velmar,
# serves the package from a real web server on 127.0.0.1, writes the demo's
# settings.ini beside the built installer and starts the installer.
#
#   scripts/demo.sh [--headless] [--no-build] [--screenshots DIR] [--keep]
#   scripts/demo.sh --windows ...   the same with installer.exe under Wine
#                                   (see scripts/demo-windows.sh)
#
# With a display, you click through the installer yourself and Velmar is
# installed for you (into ~/.local/share/Velmar; ~/.local/share/Velmar/uninst.exe
# removes it again). Without one (or with --headless), the demo runs the
# installer on its own X server in a throw-away home folder, clicks through it
# like a person (agree, install, launch), saves a screenshot of every page,
# checks that Velmar is installed, registered and running, opens a
# korvantvelmar:// link, uninstalls, and prints a report. It stops every
# process and server it started, whatever happens.
#
#   --headless         run the unattended demo even when a display is there
#   --no-build         use the existing build (skip bootstrap and build)
#   --screenshots DIR  where the screenshots go (default: build/demo-screenshots)
#   --keep             keep the throw-away folder (home, logs) for a look later
#   --one-file         the publisher's one-file installer (settings,
#                      translations and style carried inside it,
#                      scripts/make-installer.sh), alone in an empty folder
#   --keyboard         work the installer with the keyboard alone (Space on
#                      "I agree", Shift+Tab and Enter to "Install now", Enter
#                      on "Launch"), as a person without a mouse would
set -euo pipefail

# The Windows build under Wine has a demo of its own.
for argument in "$@"; do
    [ "$argument" != --windows ] || exec "$(dirname "$0")/demo-windows.sh" "$@"
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
headless=0
one_file=0
keyboard=0
do_build=1
keep=0
shots=$build/demo-screenshots
while [ $# -gt 0 ]; do
    case "$1" in
        --headless) headless=1 ;;
        --one-file) one_file=1 ;;
        --keyboard) keyboard=1 ;;
        --no-build) do_build=0 ;;
        --keep) keep=1 ;;
        --screenshots)
            [ $# -ge 2 ] || { echo "demo: --screenshots needs a folder" >&2; exit 2; }
            shots=$2
            shift
            ;;
        -h | --help)
            sed -n '2,27s/^# \{0,1\}//p' "$0"
            exit 0
            ;;
        *)
            echo "demo: unknown option '$1' (see --help)" >&2
            exit 2
            ;;
    esac
    shift
done

say() { echo "demo: $*"; }
fail() {
    echo "demo: $*" >&2
    exit 1
}
# Web server, settings.ini, Xvfb and the window helpers, shared with
# scripts/demo-windows.sh and scripts/screenshots.sh; the checks and report
# with scripts/demo-windows.sh.
. "$root/scripts/lib/xdemo.sh"
. "$root/scripts/lib/report.sh"

if [ "$do_build" -eq 1 ]; then
    "$root/scripts/bootstrap.sh"
    "$root/scripts/build.sh"
fi

installer=$build/installer/installer
product=$build/demo/package
[ -x "$installer" ] || fail "no installer at $installer (build first)"
[ -x "$product/Velmar" ] || fail "no demo product in $product (build first)"

if [ "$headless" -eq 0 ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
    headless=1
fi

# --- Everything started here is stopped here --------------------------------
work=$(mktemp -d /tmp/velmar-demo.XXXXXX)
started_pids=()
install_dir=
cleanup() {
    local status=$?
    set +e
    # Velmar copies that the installer or a link started inside the demo home.
    if [ -n "$install_dir" ]; then
        for pid in $(product_pids); do kill "$pid" 2>/dev/null; done
    fi
    xdemo_stop_started
    if [ "$keep" -eq 1 ]; then
        say "kept $work"
    else
        rm -rf -- "$work"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

# Processes whose program lies in the demo's install folder.
product_pids() {
    [ -n "$install_dir" ] || return 0
    find /proc -mindepth 2 -maxdepth 2 -name exe -printf '%h %l\n' 2>/dev/null |
        while read -r proc exe; do
            case "$exe" in "$install_dir"/*) echo "${proc#/proc/}" ;; esac
        done
}

# --- The web site: package, agreement and support pages ---------------------
site=$work/site
mkdir -p "$site"
xdemo_write_pages "$site"

# Headless, the download is spread over a few seconds so the progress page
# can be photographed; with a person watching, a little less.
seconds=4
[ "$headless" -eq 1 ] || seconds=3
xdemo_start_server "$site" "$seconds"
say "serving $site at $base"

xdemo_make_package "$product" "$site"

if [ "$one_file" -eq 1 ]; then
    # The publisher's folder goes inside the program, which runs alone.
    mkdir -p "$work/publisher" "$work/alone"
    xdemo_write_settings "$work/publisher/settings.ini" "$package_url" "$bytes_total"
    BUILD_DIR=$build "$root/scripts/make-installer.sh" "$work/publisher" "$work/alone/installer" \
        || fail "make-installer.sh could not make the one-file installer"
    installer=$work/alone/installer
    say "made the one-file installer $installer (packageUrl=$package_url)"
else
    # The shipped folder's settings.ini becomes the demo's; the next build
    # puts the sample back.
    xdemo_write_settings "$build/installer/settings.ini" "$package_url" "$bytes_total"
    say "wrote $build/installer/settings.ini (packageUrl=$package_url, bytesTotal=$bytes_total)"
fi

# --- With a display: the person at the screen clicks through ----------------
if [ "$headless" -eq 0 ]; then
    say "starting the installer; click through it (the web server stops when it closes)"
    status=0
    env -u QT_QPA_PLATFORM "$installer" || status=$?
    data_home=${XDG_DATA_HOME:-$HOME/.local/share}
    if [ -x "$data_home/Velmar/Velmar" ]; then
        say "Velmar is installed in $data_home/Velmar; $data_home/Velmar/uninst.exe removes it"
    else
        say "the installer ended (status $status) without installing Velmar"
    fi
    exit "$status"
fi

# --- Without a display: a throw-away home on a private X server -------------
command -v Xvfb >/dev/null || fail "Xvfb is missing (scripts/bootstrap.sh installs it)"
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/bootstrap.sh installs it)"
mkdir -p "$shots"
rm -rf -- "$shots"/*.png "$shots/logs"
shots=$(cd "$shots" && pwd)
logs=$work/logs
home=$work/home
mkdir -p "$logs" "$home/Desktop" "$home/.local/share" "$home/.config" "$home/.cache" "$work/runtime" "$work/tmp"
chmod 700 "$work/runtime"
install_dir=$home/.local/share/Velmar
status_file=$work/runtime/velmar-status.txt

xdemo_start_xvfb "$logs"

# The demo's whole environment: nothing of the real user's session leaks in.
demo_env=(env -i PATH="$PATH" HOME="$home" USER="${USER:-demo}" LANG=C.UTF-8 DISPLAY="$display"
    XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
    VELMAR_STATUS_FILE="$status_file")

shot_count=0
shoot() { # shoot NAME WINDOW
    local wid=$2
    shot_count=$((shot_count + 1))
    local file
    file=$shots/$(printf '%02d' "$shot_count")-$1.png
    measure "$wid"
    snap "$file"
    say "screenshot $file"
}

# The window of a Velmar process, photographed once it is there.
shoot_velmar() { # shoot_velmar PID NAME
    local velmar_window=
    for _ in $(seq 50); do
        velmar_window=$(window_of "$1")
        [ -n "$velmar_window" ] && break
        sleep 0.1
    done
    [ -z "$velmar_window" ] || { sleep 0.5; shoot "$2" "$velmar_window"; }
}

xdemo_list_package "$site/velmar.zip"

finish() {
    cp "$work/server.log" "$logs/server.log" 2>/dev/null || true
    report_finish "Velmar demo report ($(date '+%Y-%m-%d %H:%M:%S'), display $display, server $base)" \
        "package   $site/velmar.zip: $(stat -c %s "$site/velmar.zip") bytes, bytesTotal=$bytes_total" \
        "home      $home (throw-away)"
}

# --- The click-through -------------------------------------------------------
# From here on every step is checked and reported; one that fails must not
# end the run before the report.
set +e
say "starting the installer on display $display in the throw-away home $home"
# Not through x(): a function in the background is a subshell, and the
# window search needs the installer's own process id.
"${demo_env[@]}" "$installer" >"$logs/installer.log" 2>&1 &
installer_pid=$!
started_pids+=("$installer_pid")

window=
for _ in $(seq 100); do
    window=$(window_of "$installer_pid")
    [ -n "$window" ] && break
    installer_ended && break
    sleep 0.1
done
check "the installer window appears" test -n "$window"
if [ -z "$window" ] && installer_ended; then
    # A second start hands over to a running installer and ends at once.
    say "the installer ended without a window; is another installer already running?"
fi
[ -n "$window" ] || finish
sleep 1
measure "$window"
check "the window is 524 x 308 (12 px shadow around a 500 x 284 body)" test "${win_w}x${win_h}" = 524x308
shoot start-page "$window"

# The body begins 12 px inside the window; "I agree" is the first control of
# the row at the bottom of the start page (12 px from the left and bottom).
shadow=12
body_left=$shadow body_bottom=$((win_h - shadow))
agree_x=$((body_left + 12 + 6))
if [ "$keyboard" -eq 1 ]; then
    # The start page opens with the focus on "I agree".
    press_until "I agree" "$window" space screen_changed && agreed=1 || agreed=0
    clicked_y=$((body_bottom - 12))
elif click_until "I agree" "$agree_x" $((body_bottom - 12)) $((body_bottom - 60)) -4 screen_changed; then
    agreed=1
else
    agreed=0
fi
check "ticking \"I agree\" changes the start page" test "$agreed" -eq 1
[ "$agreed" -eq 1 ] || finish
agree_y=$clicked_y
shoot start-page-agreed "$window"

# "Install now" sits centred above that row (aimed a little right of the
# centre, away from the agreement link on the left of the row); the download
# is the sign that the checks passed and the progress page took over.
# A question (a running Velmar) or a notice (folder, space) also answers the
# click; it is photographed and reported instead of clicked away.
install_reacted() {
    download_started && return 0
    message_box=$(other_window_of "$installer_pid" "$window")
    [ -n "$message_box" ]
}
installed_click=0
message_box=
if [ "$keyboard" -eq 1 ]; then
    # "Install now" is just before "I agree" in the tab order.
    press_until "Install now" "$window" "shift+Tab Return" install_reacted && download_started && installed_click=1
else
    click_until "Install now" $((win_w / 2 + 16)) $((agree_y - 14)) $((agree_y - 110)) -4 install_reacted \
        && download_started && installed_click=1
fi
if [ "$installed_click" -eq 0 ] && [ -n "$message_box" ]; then
    shoot start-page-notice "$message_box"
fi
check "\"Install now\" starts the download" test "$installed_click" -eq 1
[ "$installed_click" -eq 1 ] || { shoot no-install "$window"; finish; }
sleep 1.2
shoot progress-page "$window"

# A failed run shows a message box (a window of its own) before the
# failure page; a good one fills the install folder and moves on.
message_box=
for _ in $(seq 240); do
    package_in_place && break
    installer_ended && break
    message_box=$(other_window_of "$installer_pid" "$window")
    [ -n "$message_box" ] && break
    sleep 0.5
done
if [ -n "$message_box" ]; then
    sleep 0.5
    shoot message-box "$message_box"
    check "the installation runs without a message box (see $(basename "$shots")/*message-box.png)" false
    press_key "$message_box" Return
    sleep 1
    shoot failure-page "$window"
    finish
fi
sleep 1.5
shoot "$(package_in_place && echo success-page || echo failure)" "$window"
check "every package file is in $install_dir with its size" package_in_place
check "Velmar and uninst.exe are executable" test -x "$install_dir/Velmar" -a -x "$install_dir/uninst.exe"
check "the package was removed from the temporary folder" \
    test ! -e "$work/tmp/velmar.zip" -a ! -e "$work/tmp/velmar.zip.tmp"

# --- Registration: whatever the Linux registration writes, found by content --
points_into_install() { grep -qsF "$install_dir/" "$1" || grep -qsF "\"$install_dir\\" "$1"; }
entries_in() { # entries_in FOLDER DEPTH: desktop entries there that run Velmar
    find "$1" -maxdepth "$2" -type f 2>/dev/null | while IFS= read -r f; do
        grep -q '^\[Desktop Entry\]' "$f" 2>/dev/null && grep -E '^(Exec|TryExec)=' "$f" | grep -qF "$install_dir/" && echo "$f"
    done
}
menu_entries=$(entries_in "$home/.local/share/applications" 3)
desktop_entries=$(entries_in "$home/Desktop" 1)
autostart_entries=$(entries_in "$home/.config/autostart" 1)
handler=$(x xdg-mime query default x-scheme-handler/korvantvelmar 2>/dev/null || true)
handler_file=$(find "$home/.local/share/applications" -type f -name '*.desktop' 2>/dev/null |
    while IFS= read -r f; do
        id=${f#"$home/.local/share/applications/"}
        [ "${id//\//-}" = "$handler" ] && echo "$f"
    done)
record=$(find "$home/.local/share" -maxdepth 4 -path "$install_dir" -prune -o -type f -name '*.ini' -print 2>/dev/null |
    while IFS= read -r f; do grep -q UninstallString "$f" && points_into_install "$f" && echo "$f"; done)

check "a menu entry runs Velmar ($(echo $menu_entries))" test -n "$menu_entries"
check "a desktop shortcut runs Velmar ($(echo $desktop_entries))" test -n "$desktop_entries"
check "no autostart entry, since start with the computer was not chosen" test -z "$autostart_entries"
check "korvantvelmar:// links open with ${handler:-nothing}" \
    eval '[ -n "$handler_file" ] && grep -E "^Exec=" "$handler_file" | grep -qF "$install_dir/"'
check "~/.local/bin/Velmar leads to the installed program" \
    test "$(readlink -f "$home/.local/bin/Velmar" 2>/dev/null)" = "$(readlink -f "$install_dir/Velmar")"
check "an uninstall record names the install folder (${record#"$home/"})" test -n "$record"

# --- Launch ------------------------------------------------------------------
# "Launch" is centred 37 px above the bottom of the success page's body.
launched=0
if installer_ended; then
    say "the installer has already ended (see $logs/installer.log)"
elif [ "$keyboard" -eq 1 ]; then
    # The success page gives "Launch" the focus.
    press_until "Launch" "$window" Return installer_ended && launched=1
else
    click_until "Launch" $((win_w / 2)) $((body_bottom - 37 - 4)) $((body_bottom - 37 - 64)) -4 installer_ended \
        && launched=1
fi
check "\"Launch\" closes the installer" test "$launched" -eq 1
wait "$installer_pid" 2>/dev/null && installer_status=0 || installer_status=$?
check "the installer ended with status 0 (ended with $installer_status)" test "$installer_status" -eq 0

report_value() { sed -n "s/^$1=//p" "$status_file" 2>/dev/null | head -n 1 || true; }
for _ in $(seq 100); do
    [ -s "$status_file" ] && break
    sleep 0.1
done
velmar_pid=$(report_value pid)
check "Velmar runs (process ${velmar_pid:-none})" eval '[ -n "$velmar_pid" ] && kill -0 "$velmar_pid" 2>/dev/null'
check "Velmar runs from $install_dir" \
    test "$(readlink -f "/proc/${velmar_pid:-0}/exe" 2>/dev/null)" = "$(readlink -f "$install_dir/Velmar")"
check "Velmar's working folder is the install folder" test "$(report_value workingFolder)" = "$install_dir"
[ -z "$velmar_pid" ] || shoot_velmar "$velmar_pid" velmar-running

# --- A link, the way a browser hands it over ---------------------------------
link='korvantvelmar://open?x=1'
rm -f -- "$status_file"
# gio opens it as desktops do (xdg-open's generic mode cannot run an Exec
# whose program path is quoted, as it must be for folders with blanks).
if command -v gio >/dev/null; then opener=(gio open); else opener=(xdg-open); fi
"${demo_env[@]}" "${opener[@]}" "$link" >"$logs/open-link.log" 2>&1 &
started_pids+=($!)
for _ in $(seq 100); do
    [ "$(report_value link)" = "$link" ] && break
    sleep 0.1
done
link_pid=$(report_value pid)
check "opening $link starts Velmar with the link" test "$(report_value link)" = "$link"
[ -z "$link_pid" ] || shoot_velmar "$link_pid" velmar-link

# --- Uninstall ----------------------------------------------------------------
if [ -x "$install_dir/uninst.exe" ]; then
    x "$install_dir/uninst.exe" >"$logs/uninstall.log" 2>&1 && uninstalled=0 || uninstalled=$?
    check "uninst.exe ends Velmar and removes it (status $uninstalled)" \
        test "$uninstalled" -eq 0 -a ! -e "$install_dir" -a -z "$(product_pids)"
    leftovers=$( (entries_in "$home/.local/share/applications" 3; entries_in "$home/Desktop" 1;
        entries_in "$home/.config/autostart" 1; [ -L "$home/.local/bin/Velmar" ] && echo "$home/.local/bin/Velmar";
        [ -n "$record" ] && [ -e "$record" ] && echo "$record"; grep -ls 'x-scheme-handler/korvantvelmar=' "$home/.config/mimeapps.list") || true)
    check "nothing of Velmar is left registered" test -z "$leftovers"
    [ -z "$leftovers" ] || say "left behind: $(echo $leftovers)"
fi

finish
