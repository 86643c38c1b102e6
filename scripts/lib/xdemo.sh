# shellcheck shell=bash disable=SC2034,SC2154  # sets and reads the sourcing script's variables
# Shell functions shared by scripts/demo.sh, scripts/demo-windows.sh and
# scripts/screenshots.sh, which all drive the real installer on a private X
# server the way a person would: a web server for the package, the demo's
# settings.ini, Xvfb, the package's files in place, and (scripts/lib/clicks.sh)
# finding, measuring, photographing and clicking the installer's windows.
#
# Sourced, not run. The script that sources it provides:
#   say TEXT / fail TEXT   its own progress line and its way to give up
#   work                   its throw-away folder (scratch pictures, server log)
#   started_pids           an array; every process started here is added to it,
#                          and xdemo_stop_started stops them (call it on exit)
#   demo_env               the command prefix (env -i ...) that x() runs in
#   installer_pid          the installer's process, once it is started
#   install_dir            where the package is installed, for package_in_place

xdemo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$xdemo_root/scripts/lib/xvfb.sh"
. "$xdemo_root/scripts/lib/clicks.sh"

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
    # The shell may get here before the redirection made the file, and a
    # loaded machine may take a while to start Python.
    for _ in $(seq 600); do
        port=$(sed -n 's/^port \([0-9][0-9]*\)$/\1/p' "$work/server.out" 2>/dev/null || true)
        [ -n "$port" ] && break
        kill -0 "${started_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$port" ] || fail "the web server did not start: $(cat "$work/server.log")"
    base=http://127.0.0.1:$port
}

# Packs the product folder PRODUCT into SITE/velmar.zip, served at $base.
# Sets bytes_total and package_url, as the publisher helper prints them.
xdemo_make_package() { # xdemo_make_package PRODUCT SITE
    local lines
    lines=$("$xdemo_root/scripts/make-package.sh" "$1" "$2/velmar.zip" "$base")
    bytes_total=$(sed -n 's/^bytesTotal=//p' <<<"$lines")
    package_url=$(sed -n 's/^packageUrl=//p' <<<"$lines")
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
    local started=1
    xvfb_start 1280x800x24 "$work/display" "$1/xvfb.log" || started=0
    started_pids+=("$xvfb_pid")
    [ "$started" -eq 1 ] || fail "Xvfb did not start: $(cat "$1/xvfb.log")"
}

installer_ended() { ! kill -0 "$installer_pid" 2>/dev/null; }

# installer.exe started under Wine from FOLDER, its output in LOG, and up to
# 90 seconds for its main window (the first Windows program in a fresh
# prefix waits for Wine to set the prefix up). Sets installer_pid, and window
# (empty when none came, or when the installer ended first; then
# window_missing says what was seen instead).
xdemo_start_wine_installer() { # xdemo_start_wine_installer FOLDER LOG
    (cd "$1" && exec wine installer.exe) >"$2" 2>&1 &
    installer_pid=$!
    started_pids+=("$installer_pid")
    window=
    window_missing=
    local deadline=$((SECONDS + 90))
    while [ "$SECONDS" -lt "$deadline" ]; do
        window=$(wine_window installer.exe)
        [ -n "$window" ] && return
        installer_ended && break
        sleep 0.2
    done
    window_missing="installer $(installer_ended && echo ended || echo "still running after 90 s"); \
windows on the screen: $(windows_found --all --name '' | wc -l); log: $(tr '\n' ' ' <"$2" | tail -c 300)"
}
download_started() { grep -q 'GET /velmar.zip' "$work/server.log"; }

# The files of the package ZIP with their sizes, for package_in_place.
xdemo_list_package() { # xdemo_list_package ZIP
    zipinfo -l "$1" | awk '/^-/ { size = $4; for (i = 0; i < 9; i++) sub(/^[^ ]+ +/, ""); print size, $0 }' \
        >"$work/package.list"
}

# Every file of the package in place, with its size.
package_in_place() {
    local name size
    while read -r size name; do
        [ -f "$install_dir/$name" ] && [ "$(stat -c %s "$install_dir/$name")" = "$size" ] || return 1
    done <"$work/package.list"
}
