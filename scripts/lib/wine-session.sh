# Sourced by the Windows measuring scripts: a throw-away Wine prefix on a
# private Xvfb, both gone when the script ends.
#
#   . scripts/lib/wine-session.sh
#   wine_session_start NAME SCREEN      # e.g. windows-figures 1920x1440
#
# Sets $work (a temporary folder the session removes), WINEPREFIX and
# DISPLAY; $root must name the source tree.

wine_session_cleanup() {
    set +e
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
    [ -n "${wine_session_xvfb:-}" ] && kill "$wine_session_xvfb" 2>/dev/null
    rm -rf "$work"
}

wine_session_start() { # wine_session_start NAME SCREEN
    work=$(mktemp -d "/tmp/$1.XXXXXX")
    wine_session_xvfb=
    trap wine_session_cleanup EXIT
    export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
    Xvfb -displayfd 3 -screen 0 "${2}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    wine_session_xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || { echo "$1: Xvfb did not start" >&2; exit 1; }
    DISPLAY=:$(head -n1 "$work/display")
    export DISPLAY
}
