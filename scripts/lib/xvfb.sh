# shellcheck shell=bash disable=SC2034  # sets variables for the sourcing script
# A private X server for the scripts that run windows on a machine without a
# display (the demos, the screenshots, the Wine runs).
#
#   . scripts/lib/xvfb.sh
#   xvfb_start SCREEN DISPLAY_FILE [LOG]   # e.g. 1280x800x24 "$work/display"
#
# Sourced, not run.

# Starts Xvfb on a free display that listens on no network port and waits
# (up to 10 seconds) until it has chosen its display number, which it writes
# into DISPLAY_FILE. Sets xvfb_pid (also when it fails, so that the caller
# stops the server with the rest) and display (":N"). Its output goes to LOG
# (default: nowhere). Returns 1 when no display came up.
xvfb_start() { # xvfb_start SCREEN DISPLAY_FILE [LOG]
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$2" >"${3:-/dev/null}" 2>&1 &
    xvfb_pid=$!
    display=
    for _ in $(seq 100); do
        [ -s "$2" ] && break
        sleep 0.1
    done
    [ -s "$2" ] || return 1
    display=:$(head -n 1 "$2")
}
