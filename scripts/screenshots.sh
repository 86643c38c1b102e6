#!/usr/bin/env bash
# Makes the README's pictures: one screenshot of every page of the installer,
# taken from the real program, installing the demo product Velmar.
#
#   scripts/screenshots.sh [--no-build] [OUTPUT_DIR]
#
# Builds (unless --no-build), serves the demo package from a web server on
# 127.0.0.1, and runs the installer on its own X server in throw-away home
# folders, clicking through it like a person. It writes into OUTPUT_DIR
# (default: docs/screenshots):
#
#   start-page.png           the start page as it opens
#   start-page-advanced.png  "I agree" ticked, the "Advanced" panel open
#   progress-page.png        during the download
#   success-page.png         after a good installation
#   failure-message.png      the message box of a download that fails
#   failure-page.png         the page that follows it
#   start-page-zh_CN.png     the start page in Simplified Chinese
#
# The pictures are the windows' own pixels, their soft shadow laid over a
# light backdrop as a compositing desktop shows it. OUTPUT_DIR is only
# written when every picture was taken. Every process started here is
# stopped, whatever happens.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
do_build=1
out=$root/docs/screenshots
while [ $# -gt 0 ]; do
    case "$1" in
        --no-build) do_build=0 ;;
        -h | --help)
            sed -n '2,24s/^# \{0,1\}//p' "$0"
            exit 0
            ;;
        -*)
            echo "screenshots: unknown option '$1' (see --help)" >&2
            exit 2
            ;;
        *) out=$1 ;;
    esac
    shift
done

say() { echo "screenshots: $*"; }
fail() {
    echo "screenshots: $*" >&2
    exit 1
}
. "$root/scripts/lib/xdemo.sh"

if [ "$do_build" -eq 1 ]; then
    "$root/scripts/bootstrap.sh"
    "$root/scripts/build.sh"
fi

shipped=$build/installer
product=$build/demo/package
[ -x "$shipped/installer" ] || fail "no installer at $shipped/installer (build first)"
[ -x "$product/Velmar" ] || fail "no demo product in $product (build first)"
for tool in Xvfb xdotool import compare convert python3 ipcs; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/bootstrap.sh installs it)"
done

# --- Everything started here is stopped here --------------------------------
work=$(mktemp -d /tmp/installer-shots.XXXXXX)
started_pids=()
homes=()
cleanup() {
    local status=$?
    set +e
    xdemo_stop_started
    remove_ipc_left_in "$work"
    rm -rf -- "$work" "${homes[@]}"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

# An installer that had to be killed cannot remove its single-instance
# shared memory and semaphore. Qt names them after key files in the
# process's temporary folder (System V keys from ftok with 'Q'); a segment
# is removed only when one of our processes created it, and the semaphore
# that guards it with it.
ipc_key_of() {
    local dev ino
    read -r dev ino < <(stat -c '%d %i' "$1")
    printf '0x%08x\n' $(((0x51 << 24) | ((dev & 0xff) << 16) | (ino & 0xffff)))
}
remove_ipc_left_in() {
    local memory semaphore key shmid creator pid
    find "$1" -name 'qipc_sharedmemory_*' -type f 2>/dev/null | while IFS= read -r memory; do
        key=$(ipc_key_of "$memory")
        shmid=$(ipcs -m | awk -v key="$key" '$1 == key { print $2 }')
        [ -n "$shmid" ] || continue
        creator=$(ipcs -m -p | awk -v id="$shmid" '$1 == id { print $3 }')
        for pid in "${started_pids[@]}"; do
            [ "$pid" = "$creator" ] || continue
            ipcrm -m "$shmid"
            semaphore=${memory%/*}/qipc_systemsem_${memory##*/qipc_sharedmemory_}
            [ ! -f "$semaphore" ] || ipcrm -S "$(ipc_key_of "$semaphore")" 2>/dev/null
        done
    done
    return 0
}

# --- The web site and the shipped folder ------------------------------------
site=$work/site
pictures=$work/pictures
logs=$work/logs
mkdir -p "$site" "$pictures" "$logs"
xdemo_write_pages "$site"
# Slow enough that the progress page is caught with its bar partly filled,
# at a moment of the slideshow's choosing (below).
seconds=16
xdemo_start_server "$site" "$seconds"
say "serving $site at $base"
xdemo_make_package "$product" "$site"

# A copy of the shipped folder, so that build/installer keeps its own
# settings.ini; each run writes the settings it needs into the copy.
cp -r "$shipped" "$work/shipped"
installer=$work/shipped/installer

# A port that nothing listens on: the download of the failing run is refused.
closed_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')

xdemo_start_xvfb "$logs"
say "X server $display"

# --- One installer run --------------------------------------------------------
# start_installer NAME LANG [LANGUAGE]: a fresh home for the run, the
# installer started in it, its window found and measured. Sets home,
# run_tmp, installer_pid, window and win_*.
# The home's path is short, as a real one is, so that the advanced panel's
# folder field shows the whole default install folder.
start_installer() {
    local name=$1
    home=$(mktemp -d /tmp/home.XXXXXX)
    homes+=("$home")
    run_tmp=$work/$name/tmp
    mkdir -p "$home/Desktop" "$home/.local/share" "$home/.config" "$home/.cache" "$work/$name/runtime" "$run_tmp"
    chmod 700 "$work/$name/runtime"
    demo_env=(env -i PATH="$PATH" HOME="$home" USER="${USER:-demo}" LANG="$2" DISPLAY="$display"
        XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
        XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/$name/runtime" TMPDIR="$run_tmp")
    [ $# -lt 3 ] || demo_env+=(LANGUAGE="$3")
    "${demo_env[@]}" "$installer" >"$logs/$name.log" 2>&1 &
    installer_pid=$!
    started_ms=$(now_ms)
    started_pids+=("$installer_pid")
    window=
    for _ in $(seq 100); do
        window=$(window_of "$installer_pid")
        [ -n "$window" ] && break
        installer_ended && fail "the installer ended without a window: $(cat "$logs/$name.log")"
        sleep 0.1
    done
    [ -n "$window" ] || fail "no installer window after 10 seconds"
    sleep 1
    measure "$window"
    [ "${win_w}x${win_h}" = 524x308 ] || fail "the window is ${win_w}x${win_h}, not 524x308"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Ends the run the way a person does, with the window's close button at
# the top right of the body; a window that stays open is killed.
close_installer() {
    measure "$window"
    click_until "close" $((win_w - shadow - 16)) $((shadow + 8)) $((shadow + 28)) 4 installer_ended \
        || kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null || true
}

# Saves the window's picture as NAME.png, with the pointer out of the way
# so that no control shows its hover look.
shoot() { # shoot NAME WINDOW
    x xdotool mousemove --sync 1279 799
    sleep 0.3
    x python3 "$root/scripts/lib/window-shot.py" "$2" "$work/shot.png" \
        || fail "could not take $1.png"
    # Smaller, and without time stamps, so an unchanged page makes an
    # unchanged file.
    convert "$work/shot.png" -strip -define png:compression-level=9 "$pictures/$1.png"
    say "took $1.png"
}

# The body begins 12 px inside the window; "I agree" is the first control of
# the row at the bottom of the start page (12 px from the left and bottom),
# "Advanced" the last, and "Install now" is centred above the row.
shadow=12
tick_agree() {
    local body_bottom=$((win_h - shadow))
    click_until "I agree" $((shadow + 12 + 6)) $((body_bottom - 12)) $((body_bottom - 60)) -4 screen_changed \
        || fail "found no \"I agree\" box to tick"
    agree_y=$clicked_y
}
window_height_is() {
    measure "$window"
    [ "$win_h" -eq "$1" ]
}
toggle_advanced() { # toggle_advanced HEIGHT_AFTERWARDS
    click_until "Advanced" $((win_w - shadow - 12 - 24)) "$agree_y" $((agree_y + 8)) 4 window_height_is "$1" \
        || fail "\"Advanced\" did not make the window $1 px high"
}
press_install() { # press_install READY_CHECK...
    click_until "Install now" $((win_w / 2 + 16)) $((agree_y - 14)) $((agree_y - 110)) -4 "$@" \
        || fail "\"Install now\" did not start the installation"
}
message_box_shown() {
    message_box=$(other_window_of "$installer_pid" "$window")
    [ -n "$message_box" ]
}

# --- A good installation --------------------------------------------------------
xdemo_write_settings "$work/shipped/settings.ini" "$package_url" "$bytes_total"
start_installer good C.UTF-8
shoot start-page "$window"
tick_agree
toggle_advanced 402
shoot start-page-advanced "$window"
toggle_advanced 308
# The progress page's slideshow shows its three pictures in turn, 5 s each
# with a 0.5 s slide between them, counted from the installer's start; the
# first is a cloud with a download arrow. The download (the bar's first
# half) is started 6 s into the cycle and photographed when the cloud has
# come round again and stands still, about 10 s into the download: so each
# run gives the same picture with the bar a good part filled.
cycle_ms=15000
in_cycle() { # in_cycle FROM_MS TO_MS: the slideshow is that far into its cycle
    local now=$(($(now_ms) - started_ms))
    [ $((now % cycle_ms)) -ge "$1" ] && [ $((now % cycle_ms)) -lt "$2" ]
}
until in_cycle 5800 6800; do sleep 0.05; done
press_install download_started
download_began=$(now_ms)
until in_cycle 1500 4000 && [ $(($(now_ms) - download_began)) -ge 1000 ]; do
    # A slow click must not miss the download altogether.
    [ $(($(now_ms) - download_began)) -lt $(((seconds - 1) * 1000)) ] || break
    sleep 0.05
done
shoot progress-page "$window"

install_dir=$home/.local/share/Velmar
for _ in $(seq 120); do
    [ -x "$install_dir/uninst.exe" ] && [ ! -e "$run_tmp/velmar.zip" ] && break
    message_box_shown && fail "the installation failed (see the message box)"
    installer_ended && fail "the installer ended during the installation"
    sleep 0.5
done
[ -x "$install_dir/uninst.exe" ] || fail "Velmar was not installed within a minute"
sleep 1.5
shoot success-page "$window"
close_installer

# --- A download that fails --------------------------------------------------------
xdemo_write_settings "$work/shipped/settings.ini" "http://127.0.0.1:$closed_port/velmar.zip" "$bytes_total"
start_installer failing C.UTF-8
tick_agree
# The page changes at once; the message box follows when every attempt
# of the download has been refused.
press_install eval 'message_box_shown || screen_changed'
for _ in $(seq 120); do
    message_box_shown && break
    installer_ended && fail "the installer ended without a message box"
    sleep 0.5
done
[ -n "$message_box" ] || fail "no message box within a minute of the failed download"
sleep 0.5
shoot failure-message "$message_box"
press_key "$message_box" Return
for _ in $(seq 50); do
    message_box_shown || break
    sleep 0.1
done
message_box_shown && fail "the message box did not close"
sleep 1
shoot failure-page "$window"
close_installer

# --- The start page in Simplified Chinese ---------------------------------------
xdemo_write_settings "$work/shipped/settings.ini" "$package_url" "$bytes_total"
start_installer chinese zh_CN.UTF-8 zh_CN
shoot start-page-zh_CN "$window"
close_installer

mkdir -p "$out"
cp "$pictures"/*.png "$out"/
say "wrote $(cd "$pictures" && ls -1 | wc -l) pictures to $out:"
(cd "$out" && for file in "$pictures"/*.png; do
    name=${file##*/}
    printf '  %-26s %s, %s bytes\n' "$name" "$(identify -format '%wx%h' "$name")" "$(stat -c %s "$name")"
done)
