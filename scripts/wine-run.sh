#!/usr/bin/env bash
# Runs one Windows program under Wine on an X server of its own (Xvfb), so
# that Windows programs with real windows run on a machine without a display.
# WINEPREFIX and the rest of the environment pass through; the exit status is
# the program's. Xvfb and the prefix's wineserver are stopped afterwards.
# A test program's <name>.env beside it (variables, one a line) is exported
# first; variables already set by the caller give way to it.
#
#   scripts/wine-run.sh [--dpi N] [--copy-prefix] program.exe [arguments...]
#
#   --dpi N          Wine's LogPixels for the run (96 = 100 %, 144 = 150 %, ...)
#   --copy-prefix    run in a copy of $WINEPREFIX, removed afterwards, so that
#                    several programs can run at once, each with a Wine of
#                    its own (Wine's registry, files and server are per prefix)
set -euo pipefail
dpi=
copy_prefix=0
while [ $# -gt 0 ]; do
    case "$1" in
        --dpi) dpi=$2; shift 2 ;;
        --copy-prefix) copy_prefix=1; shift ;;
        *) break ;;
    esac
done
[ $# -ge 1 ] || { echo "wine-run: which program?" >&2; exit 2; }
. "$(dirname "$0")/lib/xvfb.sh"

display_file=$(mktemp)
xvfb_pid=
prefix_copy=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -f "$display_file"
    [ -z "$prefix_copy" ] || rm -rf "$prefix_copy"
}
trap cleanup EXIT

if [ "$copy_prefix" -eq 1 ]; then
    [ -d "${WINEPREFIX:-}/drive_c" ] || { echo "wine-run: no Wine prefix to copy at '${WINEPREFIX:-}'" >&2; exit 2; }
    prefix_copy=$(mktemp -d)
    cp -a "$WINEPREFIX/." "$prefix_copy/"
    export WINEPREFIX=$prefix_copy
fi

xvfb_start 1280x1024x24 "$display_file" || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
export DISPLAY=$display

if [ -n "$dpi" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w
fi

# A test program's environment, written by the Windows build beside it.
env_file="${1%.exe}.env"
if [ -f "$env_file" ]; then
    while IFS= read -r line; do
        [ -n "$line" ] && export "${line?}"
    done <"$env_file"
fi

# Test programs that serve HTTPS take a fresh certificate from here: a
# Windows program cannot run this machine's openssl.
certificates=$(mktemp -d)
trap 'cleanup; rm -rf "$certificates"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$certificates/key.pem" -out "$certificates/cert.pem" \
    -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost >/dev/null 2>&1
export INSTALLER_TEST_CERTIFICATE_DIR=$certificates

status=0
if [ -f "$env_file" ]; then
    # Qt's test log does not reach a pipe from a Wine program: it goes to a
    # file and is shown from there.
    log=$(mktemp)
    wine "$@" -o "$log,txt" || status=$?
    cat "$log"
    rm -f "$log"
else
    wine "$@" || status=$?
fi
wineserver -k 2>/dev/null || true
exit "$status"
