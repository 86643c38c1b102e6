#!/usr/bin/env bash
# The Windows demo (scripts/demo.sh --windows): the real installer.exe under
# Wine, in a throw-away Wine prefix on a private X server. It serves the
# Windows build of Velmar from a web server on 127.0.0.1, clicks through the
# installer like a person (agree, install, launch), photographs every page,
# checks the registry (wine reg query), the Start-menu and desktop links (read
# back through the shell by the product's own uninstaller), the installed
# files and the running Velmar.exe, opens a korvantvelmar:// link, uninstalls,
# and prints a report. It stops every process it started.
#
#   scripts/demo.sh --windows [--per-user] [--no-build] [--build-dir DIR] [--screenshots DIR] [--keep]
#
#   --per-user         close Program Files to the installer first (chattr +i,
#                      as a user without elevation finds it): it must install
#                      into %LOCALAPPDATA%\Programs and register per user;
#                      exits 77 where Program Files cannot be closed
#   --no-build         use the existing Windows build
#   --build-dir DIR    the Windows build (default: build/windows, as made by
#                      scripts/build-windows.sh and the tests)
#   --screenshots DIR  where the screenshots go (default: DIR/demo-screenshots)
#   --keep             keep the throw-away folder (prefix, logs)
#   --one-file         the publisher's one-file installer.exe (settings,
#                      translations and style carried inside it,
#                      scripts/make-installer.sh), alone in an empty folder
#   --keyboard         work the installer with the keyboard alone (Space on
#                      "I agree", Shift+Tab and Enter to "Install now", Enter
#                      on "Launch"), as a person without a mouse would
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows
do_build=1
keep=0
per_user=0
one_file=0
keyboard=0
shots=
while [ $# -gt 0 ]; do
    case "$1" in
        --windows) ;;
        --one-file) one_file=1 ;;
        --keyboard) keyboard=1 ;;
        --per-user) per_user=1 ;;
        --no-build) do_build=0 ;;
        --keep) keep=1 ;;
        --build-dir | --screenshots)
            [ $# -ge 2 ] || { echo "demo: $1 needs a folder" >&2; exit 2; }
            [ "$1" = --build-dir ] && build=$2 || shots=$2
            shift
            ;;
        -h | --help)
            sed -n '2,26s/^# \{0,1\}//p' "$0"
            exit 0
            ;;
        *)
            echo "demo: unknown option '$1' (see --help)" >&2
            exit 2
            ;;
    esac
    shift
done
[ -n "$shots" ] || shots=$build/demo-screenshots

say() { echo "demo: $*"; }
fail() {
    echo "demo: $*" >&2
    exit 1
}
. "$root/scripts/lib/xdemo.sh"
. "$root/scripts/lib/report.sh"

if [ "$do_build" -eq 1 ]; then
    "$root/scripts/bootstrap.sh"
    BUILD_DIR=$build "$root/scripts/build-windows.sh"
fi
installer_dir=$build/installer
product=$build/demo/package
[ -f "$installer_dir/installer.exe" ] || fail "no installer.exe in $installer_dir (scripts/build-windows.sh)"
[ -f "$product/Velmar.exe" ] && [ -f "$product/uninst.exe" ] || fail "no Windows Velmar in $product"
for tool in wine Xvfb xdotool import; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/bootstrap.sh installs it)"
done

work=$(mktemp -d /tmp/velmar-windows-demo.XXXXXX)
started_pids=()
cleanup() {
    local status=$?
    set +e
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
    [ -n "${closed:-}" ] && chattr -i "$closed" 2>/dev/null
    xdemo_stop_started
    if [ "$keep" -eq 1 ]; then say "kept $work"; else rm -rf -- "$work"; fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

# --- Web site, shipped folder, prefix, X server ------------------------------
site=$work/site
mkdir -p "$site" "$work/logs"
logs=$work/logs
xdemo_write_pages "$site"
xdemo_start_server "$site" 4
xdemo_make_package "$product" "$site"

# The shipped folder, copied so that the demo's settings.ini stays out of the build.
shipped=$work/shipped
if [ "$one_file" -eq 1 ]; then
    # The publisher's folder goes inside the program; it runs alone.
    publisher=$work/publisher
    mkdir -p "$publisher" "$shipped"
    xdemo_write_settings "$publisher/settings.ini" "$package_url" "$bytes_total"
    sed -i 's/^programName=.*/programName=Velmar.exe/' "$publisher/settings.ini"
    WINDOWS_BUILD_DIR=$build "$root/scripts/make-installer.sh" --windows "$publisher" \
        "$shipped/installer.exe" || fail "make-installer.sh could not make the one-file installer"
else
    cp -r "$installer_dir" "$shipped"
    xdemo_write_settings "$shipped/settings.ini" "$package_url" "$bytes_total"
    sed -i 's/^programName=.*/programName=Velmar.exe/' "$shipped/settings.ini"
fi

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
say "making a throw-away Wine prefix"
"$root/scripts/wine-prefix.sh" "$WINEPREFIX"
xdemo_start_xvfb "$logs"
export DISPLAY=$display
demo_env=(env)
status_file=$work/velmar-status.txt
# As a Windows path: a relative-looking /tmp/... would land on the drive of
# whatever folder Velmar starts in.
VELMAR_STATUS_FILE=$(winepath -w "$status_file" 2>/dev/null)
export VELMAR_STATUS_FILE
program_files=$WINEPREFIX/drive_c/Program\ Files
install_dir=$program_files/Velmar
shown_folder='C:\Program Files\Velmar'
closed=
if [ "$per_user" -eq 1 ]; then
    # The immutable flag refuses new folders even to root, as Program Files
    # refuses them to a user without elevation.
    chattr +i "$program_files" 2>/dev/null && closed=$program_files \
        || { echo "demo: cannot close Program Files here (chattr +i needs root and an ext4-like file system)" >&2; exit 77; }
    local_app_data=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -type d -path '*/AppData/Local' | head -n1)
    install_dir=$local_app_data/Programs/Velmar
    shown_folder='%LOCALAPPDATA%\Programs\Velmar'
fi

mkdir -p "$shots"
rm -rf -- "$shots"/*.png
shots=$(cd "$shots" && pwd)
shot_count=0
shoot() { # shoot NAME WINDOW
    shot_count=$((shot_count + 1))
    local file
    file=$shots/$(printf '%02d' "$shot_count")-$1.png
    measure "$2"
    python3 "$root/scripts/lib/window-shot.py" "$2" "$file" 2>/dev/null || snap "$file"
    say "screenshot $file"
}

finish() {
    report_finish "Velmar Windows demo report ($(date '+%Y-%m-%d %H:%M:%S'), Wine $(wine --version), server $base)" \
        "package   $site/velmar.zip: $(stat -c %s "$site/velmar.zip") bytes, bytesTotal=$bytes_total"
}
xdemo_list_package "$site/velmar.zip"

# --- The click-through -------------------------------------------------------
set +e
say "starting installer.exe under Wine on display $display"
xdemo_start_wine_installer "$shipped" "$logs/installer.log"
check "the installer window appears${window_missing:+ ($window_missing)}" test -n "$window"
[ -n "$window" ] || finish
sleep 1.5
measure "$window"
# Under Wine 8 the X11 window of this frameless window comes out a few
# pixels taller than asked; the width tells the scale.
check "the window is 524 wide at 96 dpi (X11 window ${win_w} x ${win_h})" test "$win_w" = 524 -a "$win_h" -ge 308 -a "$win_h" -le 316
shoot start-page "$window"

body_bottom=$((win_h - 12))
agree_x=$((12 + 12 + 6))
if [ "$keyboard" -eq 1 ]; then
    # The start page opens with the focus on "I agree".
    press_until "I agree" "$window" space screen_changed && agreed=1 || agreed=0
    clicked_y=$((body_bottom - 12))
else
    click_until "I agree" "$agree_x" $((body_bottom - 12)) $((body_bottom - 60)) -4 screen_changed && agreed=1 || agreed=0
fi
check "ticking \"I agree\" changes the start page" test "$agreed" -eq 1
[ "$agreed" -eq 1 ] || finish
agree_y=$clicked_y
shoot start-page-agreed "$window"
install_reacted() {
    download_started && return 0
    message_box=$(wine_window installer.exe "$window")
    [ -n "$message_box" ]
}
message_box=
if [ "$keyboard" -eq 1 ]; then
    # "Install now" is just before "I agree" in the tab order.
    press_until "Install now" "$window" "shift+Tab Return" install_reacted || true
else
    click_until "Install now" $((win_w / 2 + 16)) $((agree_y - 14)) $((agree_y - 110)) -4 install_reacted || true
fi
check "\"Install now\" starts the download" download_started
download_started || { [ -n "$message_box" ] && shoot notice "$message_box"; finish; }
sleep 1.2
shoot progress-page "$window"
for _ in $(seq 240); do
    package_in_place && break
    installer_ended && break
    message_box=$(wine_window installer.exe "$window")
    [ -n "$message_box" ] && break
    sleep 0.5
done
if [ -n "$message_box" ]; then
    shoot message-box "$message_box"
    check "the installation runs without a message box" false
    finish
fi
sleep 1.5
shoot success-page "$window"
check "every package file is in $shown_folder with its size" package_in_place

# --- Registration, read back the way Windows programs see it -----------------
reg_value() { # reg_value KEY [VALUE]: the data of one value, or nothing
    local args=("$1")
    if [ -n "${2:-}" ]; then args+=(/v "$2"); else args+=(/ve); fi
    wine reg query "${args[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -n1
}
native_exe='C:\Program Files\Velmar\Velmar.exe'
found_in() { # found_in KEY [VALUE]: the value names the installed program, machine-wide or per user
    local scope scopes=(HKLM HKCU)
    [ "$per_user" -eq 0 ] || scopes=(HKCU)
    for scope in "${scopes[@]}"; do
        case "$(reg_value "$scope\\$1" "${2:-}")" in *"Velmar\\Velmar.exe"* | *"Velmar/Velmar.exe"* | *"Velmar\\uninst.exe"*) return 0 ;; esac
    done
    return 1
}
if [ "$per_user" -eq 1 ]; then
    check "nothing machine-wide: no HKLM protocol, App Paths or uninstall key" eval \
        '[ -z "$(reg_value "HKLM\Software\Classes\korvantvelmar\shell\open\command")" ] && [ -z "$(reg_value "HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Velmar.exe")" ]'
fi
scope=HKLM
[ "$per_user" -eq 0 ] || scope=HKCU
check "protocol: $scope\\Software\\Classes\\korvantvelmar\\shell\\open\\command = $(reg_value "$scope\Software\Classes\korvantvelmar\shell\open\command")" \
    found_in 'Software\Classes\korvantvelmar\shell\open\command'
check "$scope App Paths\\Velmar.exe = $(reg_value "$scope\Software\Microsoft\Windows\CurrentVersion\App Paths\Velmar.exe")" \
    found_in 'Software\Microsoft\Windows\CurrentVersion\App Paths\Velmar.exe'
check "$scope Uninstall\\Velmar UninstallString = $(reg_value "$scope\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmar" UninstallString)" \
    found_in 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmar' UninstallString
# The product's uninstaller resolves links through the shell (IShellLink)
# and lists the ones that lead into its folder.
(cd "$install_dir" && wine uninst.exe --dry-run) >"$logs/uninstall-dry-run.log" 2>&1
check "the Start-menu link resolves to Velmar.exe" grep -q 'Programs\\Velmar\\Velmar.lnk' "$logs/uninstall-dry-run.log"
check "the desktop link resolves to Velmar.exe" grep -q 'Desktop\\Velmar.lnk' "$logs/uninstall-dry-run.log"

# --- Launch ------------------------------------------------------------------
launched=0
if installer_ended; then
    :
elif [ "$keyboard" -eq 1 ]; then
    # The success page gives "Launch" the focus.
    press_until "Launch" "$window" Return installer_ended && launched=1
else
    click_until "Launch" $((win_w / 2)) $((body_bottom - 41)) $((body_bottom - 101)) -4 installer_ended \
        && launched=1
fi
check "\"Launch\" closes the installer" test "$launched" -eq 1
for _ in $(seq 100); do
    [ -s "$status_file" ] && break
    sleep 0.2
done
report_value() { tr -d '\r' <"$status_file" 2>/dev/null | sed -n "s/^$1=//p" | head -n 1; }
check "Velmar.exe runs (process $(report_value pid))" test -s "$status_file"
velmar_window=
for _ in $(seq 50); do
    velmar_window=$(wine_window Velmar.exe)
    [ -n "$velmar_window" ] && break
    sleep 0.2
done
[ -z "$velmar_window" ] || { sleep 0.5; shoot velmar-running "$velmar_window"; }

# --- A link, the way a browser hands it over (ShellExecute) -------------------
link='korvantvelmar://open?x=1'
rm -f -- "$status_file"
if [ "$per_user" -eq 0 ]; then
    wine start "$link" >"$logs/open-link.log" 2>&1
else
    # Windows merges HKCU\Software\Classes into HKCR, so a browser finds the
    # per-user protocol; Wine 8 does not merge them. The registered command
    # is run the way the shell would run it, with %1 replaced by the link.
    open_command=$(reg_value 'HKCU\Software\Classes\korvantvelmar\shell\open\command')
    program_part=${open_command%% \"%1\"*}
    program_part=${program_part#\"}
    program_part=${program_part%\"}
    wine "$program_part" "$link" >"$logs/open-link.log" 2>&1 &
    started_pids+=("$!")
fi
for _ in $(seq 100); do
    [ "$(report_value link)" = "$link" ] && break
    sleep 0.2
done
check "opening $link starts Velmar.exe with the link" test "$(report_value link)" = "$link"

# --- Uninstall ------------------------------------------------------------------
(cd "$install_dir" && wine uninst.exe) >"$logs/uninstall.log" 2>&1
for _ in $(seq 100); do
    [ -e "$install_dir" ] || break
    sleep 0.2
done
check "uninst.exe removes $shown_folder" test ! -e "$install_dir"
check "the protocol, App Paths and uninstall keys are gone" \
    eval '! found_in "Software\Classes\korvantvelmar\shell\open\command" && ! found_in "Software\Microsoft\Windows\CurrentVersion\App Paths\Velmar.exe"'
check "the links are gone" \
    test -z "$(find "$WINEPREFIX/drive_c/users" -name 'Velmar.lnk' 2>/dev/null)"
finish
