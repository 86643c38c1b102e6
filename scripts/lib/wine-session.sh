# Sourced by the Windows measuring scripts: a throw-away Wine prefix on a
# private Xvfb, both gone when the script ends.
#
#   . scripts/lib/wine-session.sh
#   wine_session_start NAME SCREEN      # e.g. windows-figures 1920x1440
#
# Sets $work (a temporary folder the session removes), WINEPREFIX and
# DISPLAY; $root must name the source tree.

. "$root/scripts/lib/xvfb.sh"

wine_session_cleanup() {
    set +e
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}

wine_session_start() { # wine_session_start NAME SCREEN
    work=$(mktemp -d "/tmp/$1.XXXXXX")
    xvfb_pid=
    trap wine_session_cleanup EXIT
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
    xvfb_start "${2}x24" "$work/display" || { echo "$1: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=$display
}
