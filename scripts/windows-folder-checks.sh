#!/usr/bin/env bash
# The start page's folder checks and an upgrade, black-box under Wine: the
# real installer.exe in a throw-away Wine prefix on a private X server,
# installing the Windows Velmar from a web server on 127.0.0.1, worked with
# clicks and key presses as a person would.
#
#   scripts/windows-folder-checks.sh WINDOWS_BUILD_DIR [SCREENSHOTS_DIR]
#
# 1. A folder too deep for Windows, typed into the folder field, is refused
#    on the start page; no request reaches the web server.
# 2. A quoted path pasted into the field ("D:\Apps\VelmarD", as Explorer's
#    "Copy as path" gives it) installs version 1 there.
# 3. The version-2 installer starts with that folder and installs there: one
#    uninstall entry, with InstallLocation, and nothing in Program Files.
# 4. With Program Files closed (chattr +i, as a user without elevation finds
#    it), "C:\Program Files\VelmarU2" typed into the field is refused on the
#    start page; still no request reaches the web server. Where Program Files
#    cannot be closed, this check is reported as skipped.
# 5. Version 3 over two running copies of Velmar.exe: the installer ends the
#    first (after asking), the second still holds what was set aside. The run
#    succeeds and logs why its working folder stays; once that copy has
#    ended, the next start of the installer removes the folder. Its
#    settings.ini is saved as old Notepad saves it: a byte-order mark, no
#    [General] line, and packageUrl first.
#
# Drive D: is a folder inside the throw-away prefix's folder. The report
# lists every check; the exit status is 0 when all of them passed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: windows-folder-checks.sh WINDOWS_BUILD_DIR [SCREENSHOTS_DIR]}
shots=${2:-$build/folder-checks}
keep=0

say() { echo "folder-checks: $*"; }
fail() {
    echo "folder-checks: $*" >&2
    exit 1
}
installer_dir=$build/installer
product=$build/demo/package
[ -f "$installer_dir/installer.exe" ] || fail "no installer.exe in $installer_dir (scripts/build-windows.sh)"
[ -f "$product/Velmar.exe" ] || fail "no Windows Velmar in $product"
for tool in wine Xvfb xdotool import compare python3; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/bootstrap.sh installs it)"
done

. "$root/scripts/lib/wine-session.sh"
. "$root/scripts/lib/xdemo.sh"
. "$root/scripts/lib/report.sh"

wine_session_start windows-folder-checks 1280x800
started_pids=()
closed=
cleanup() {
    local status=$?
    set +e
    [ -n "$closed" ] && chattr -i "$closed" 2>/dev/null
    xdemo_stop_started
    wine_session_cleanup
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP PIPE

logs=$work/logs
site=$work/site
mkdir -p "$logs" "$site" "$shots"
rm -rf -- "$shots"/*.png "$shots/logs"
shots=$(cd "$shots" && pwd)
xdemo_write_pages "$site"
xdemo_start_server "$site" 1
xdemo_make_package "$product" "$site"
xdemo_list_package "$site/velmar.zip"
shipped=$work/shipped
cp -r "$installer_dir" "$shipped"

# Drive D: of the prefix, a folder of its own, with the folder that the
# install folder is typed into.
mkdir -p "$work/drive_d/Apps"
ln -s "$work/drive_d" "$WINEPREFIX/dosdevices/d:"
program_files=$WINEPREFIX/drive_c/Program\ Files
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'

requests() { grep -c '"GET ' "$work/server.log" || true; }

write_settings() { # write_settings VERSION
    xdemo_write_settings "$shipped/settings.ini" "$package_url" "$bytes_total"
    sed -i -e 's/^programName=.*/programName=Velmar.exe/' -e "s/^productVersion=.*/productVersion=$1/" \
        "$shipped/settings.ini"
}

shoot() { # shoot NAME WINDOW
    local file=$shots/$1.png
    x xdotool mousemove --sync 1279 799
    sleep 0.3
    measure "$2"
    python3 "$root/scripts/lib/window-shot.py" "$2" "$file" 2>/dev/null || snap "$file"
    say "screenshot $file"
}

# start_installer NAME: installer.exe started from the shipped folder, its
# window found and measured. Sets installer_pid and window.
start_installer() {
    # Window ids of an earlier process may come again.
    answered_boxes=
    xdemo_start_wine_installer "$shipped" "$logs/$1.log"
    [ -n "$window" ] || fail "$1: no installer window ($window_missing)"
    sleep 1.5
    measure "$window"
}

# "I agree" ticked and the advanced panel opened.
shadow=12
agree_and_open_panel() {
    local body_bottom=$((win_h - shadow)) closed_height=$win_h
    click_until "I agree" $((shadow + 12 + 6)) $((body_bottom - 12)) $((body_bottom - 60)) -4 screen_changed \
        || fail "found no \"I agree\" box to tick"
    agree_y=$clicked_y
    panel_open() {
        measure "$window"
        [ "$win_h" -ge $((closed_height + 80)) ]
    }
    click_until "Advanced" $((win_w - shadow - 12 - 24)) "$agree_y" $((agree_y + 8)) 4 panel_open \
        || fail "\"Advanced\" did not open the panel"
    sleep 0.5
}

# A click into the folder field, 62 px above the bottom of the open panel's
# window (its row of 28 px sits 20 px below the panel's top), and all of its
# text selected.
click_folder_field() {
    measure "$window"
    x xdotool mousemove --sync $((win_x + win_w / 2 - 20)) $((win_y + win_h - 62)) click 1
    sleep 0.3
    press_key "$window" ctrl+a
}

# The folder field's text replaced by TEXT, typed.
type_folder() { # type_folder TEXT
    click_folder_field
    x xdotool type --delay 40 "$1"
    sleep 0.3
}

# The folder field's text replaced by TEXT, pasted from the clipboard (a
# small Tk program owns the X clipboard, which Wine hands to Windows
# programs).
paste_folder() { # paste_folder TEXT
    python3 -c 'import sys, tkinter
root = tkinter.Tk()
root.withdraw()
root.clipboard_clear()
root.clipboard_append(sys.argv[1])
root.update()
root.after(15000, root.destroy)
root.mainloop()' "$1" &
    started_pids+=("$!")
    sleep 1
    click_folder_field
    press_key "$window" ctrl+v
    sleep 0.5
}

# Another window of the installer: a message box. A box that was answered
# does not count, even while Wine still lists its window.
message_box=
answered_boxes=
message_box_shown() {
    local wid area
    message_box=
    while read -r wid area; do
        case " $answered_boxes " in *" $wid "*) continue ;; esac
        message_box=$wid
    done < <(windows_found --except "$window" --classname installer.exe)
    [ -n "$message_box" ]
}
# A download of this run: the server has more requests than before it.
requests_before=0
downloading() { [ "$(requests)" -gt "$requests_before" ]; }
install_reacted() { downloading || message_box_shown; }
press_install() {
    requests_before=$(requests)
    message_box=
    click_until "Install now" $((win_w / 2 + 16)) $((agree_y - 14)) $((agree_y - 110)) -4 install_reacted
}
# OK, at the bottom right of the box (Wine gives key presses sent to the box
# no focus of their own).
close_message_box() {
    [ -n "$message_box" ] || return 1
    measure "$message_box"
    click_until "OK" $((win_w - 84)) $((win_h - 30)) $((win_h - 70)) -4 screen_changed
    answered_boxes="$answered_boxes $message_box"
    sleep 0.5
    measure "$window"
}
# Yes, left of No at the bottom right of a question box.
answer_yes() {
    [ -n "$message_box" ] || return 1
    measure "$message_box"
    click_until "Yes" $((win_w - 84 - 108)) $((win_h - 30)) $((win_h - 70)) -4 downloading
    answered_boxes="$answered_boxes $message_box"
    measure "$window"
}
close_installer() {
    measure "$window"
    click_until "close" $((win_w - shadow - 16)) $((shadow + 8)) $((shadow + 28)) 4 installer_ended \
        || kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null || true
}

# A refusal on the start page: a message box, the installer still there,
# and no request to the server.
refused_before_download() {
    [ -n "$message_box" ] && ! installer_ended && ! downloading
}

# Waits (up to two minutes) until the run of VERSION has succeeded: its log
# lies beside the product once registration is done and the success page is
# shown; a message box or the installer's end stops the wait.
wait_for_success() { # wait_for_success VERSION
    local log=$install_dir/installer.log
    for _ in $(seq 240); do
        grep -q "installing Velmar $1" "$log" 2>/dev/null && grep -q 'Installation succeeded' "$log" && return 0
        installer_ended && return 1
        message_box_shown && return 1
        sleep 0.5
    done
    return 1
}

reg_value() { # reg_value KEY VALUE
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -n1
}
# Uninstall entries (machine-wide and per user) whose uninstaller is Velmar's.
velmar_entries() {
    local scope
    for scope in HKLM HKCU; do
        wine reg query "$scope\\$uninstall_key" /s 2>/dev/null | tr -d '\r' |
            awk '/^HKEY_/ { key = $0 } /UninstallString/ && /uninst\.exe/ { print key }'
    done | sort -u
}

finish() {
    report_finish "Folder checks under Wine ($(date '+%Y-%m-%d %H:%M:%S'), $(wine --version), server $base)" \
        "package   $site/velmar.zip: $(stat -c %s "$site/velmar.zip") bytes"
}

set +e
# --- 1 and 2: version 1, a folder too deep, then a pasted quoted path ------------
write_settings 1.0.0.0
start_installer first
agree_and_open_panel
# The folder's parent must exist, or the page only says "Invalid install dir.".
deep_parent=$(printf 'd%.0s' $(seq 120))/$(printf 'e%.0s' $(seq 120))
mkdir -p "$WINEPREFIX/drive_c/$deep_parent"
deep='C:\'${deep_parent//\//\\}'\Velmar'
type_folder "$deep"
press_install
sleep 0.5
[ -z "$message_box" ] || shoot long-path-refused-wine "$message_box"
check "a folder too deep for Windows (${#deep} characters, its files deeper) is refused on the start page, before any request" \
    eval '[ "$(requests)" -eq 0 ] && refused_before_download'
close_message_box

paste_folder '"D:\Apps\VelmarD"'
shoot pasted-quoted-path-wine "$window"
install_dir=$work/drive_d/Apps/VelmarD
press_install
check "the pasted \"D:\\Apps\\VelmarD\" starts the download" downloading
wait_for_success 1.0.0.0
[ -z "$message_box" ] || shoot first-install-message-wine "$message_box"
check "version 1 is in D:\\Apps\\VelmarD" package_in_place
sleep 1
close_installer

# --- 3: version 2 finds it --------------------------------------------------------
# Without a productText, as a settings.ini has it by default: the links and
# the uninstall entry are named after productName.
write_settings 2.0.0.0
sed -i 's/^productText=.*/productText=/' "$shipped/settings.ini"
rm -f "$install_dir/Velmar.exe"
start_installer upgrade
agree_and_open_panel
shoot upgrade-start-page-wine "$window"
press_install
check "\"Install now\" on the upgrade's default folder starts the download without a question" downloading
wait_for_success 2.0.0.0
[ -z "$message_box" ] || shoot upgrade-message-wine "$message_box"
check "version 2 is in D:\\Apps\\VelmarD as well" package_in_place
check "nothing was installed into C:\\Program Files\\Velmar" test ! -e "$program_files/Velmar"
sleep 1
close_installer
entries=$(velmar_entries)
say "uninstall entries: $(echo $entries)"
check "one uninstall entry ($(echo $entries))" test "$(echo "$entries" | grep -c .)" -eq 1
entry=${entries%%$'\n'*}
location=$(reg_value "$entry" InstallLocation)
check "its InstallLocation is D:\\Apps\\VelmarD ($location)" test "$location" = 'D:\Apps\VelmarD'
check "its DisplayVersion is 2.0.0.0 ($(reg_value "$entry" DisplayVersion))" \
    test "$(reg_value "$entry" DisplayVersion)" = 2.0.0.0
check "without a productText its DisplayName is the productName ($(reg_value "$entry" DisplayName))" \
    test "$(reg_value "$entry" DisplayName)" = Velmar
links=$(find "$WINEPREFIX/drive_c" -path '*Desktop*' -name '*.lnk' -printf '%f\n' 2>/dev/null)
check "without a productText the desktop link is Velmar.lnk ($(echo $links))" test "$links" = Velmar.lnk

# --- 4: Program Files closed ------------------------------------------------------
# The immutable flag refuses new folders even to root, as Program Files
# refuses them to a user without elevation.
if chattr +i "$program_files" 2>/dev/null; then
    closed=$program_files
    start_installer closed
    agree_and_open_panel
    type_folder 'C:\Program Files\VelmarU2'
    press_install
    sleep 0.5
    [ -z "$message_box" ] || shoot unwritable-folder-refused-wine "$message_box"
    check "\"C:\\Program Files\\VelmarU2\" is refused on the start page while Program Files is closed, before any request" \
        refused_before_download
    check "nothing was made in Program Files" test ! -e "$program_files/VelmarU2"
    close_message_box
    close_installer
    chattr -i "$program_files"
    closed=
else
    say "skipped: Program Files cannot be closed here (chattr +i needs root and an ext4-like file system)"
fi

# --- 5: two copies of Velmar running ----------------------------------------------
velmar_count() { windows_found --classname Velmar.exe | grep -c . || true; }
work_folders() { find "$install_dir" -maxdepth 1 -name '.installer-*' -printf '%f\n' | sort; }
write_settings 3.0.0.0
{
    printf '\xef\xbb\xbf'
    grep '^packageUrl=' "$shipped/settings.ini"
    grep -v -e '^packageUrl=' -e '^\[General\]' "$shipped/settings.ini"
} >"$work/settings.bom" && mv "$work/settings.bom" "$shipped/settings.ini"
for copy in 1 2; do
    (cd "$install_dir" && exec wine Velmar.exe) >"$logs/velmar-$copy.log" 2>&1 &
    started_pids+=("$!")
done
for _ in $(seq 120); do [ "$(velmar_count)" -ge 2 ] && break; sleep 0.5; done
check "two copies of Velmar.exe run ($(velmar_count) windows)" test "$(velmar_count)" -ge 2
start_installer running
agree_and_open_panel
press_install
[ -z "$message_box" ] || shoot terminate-question-wine "$message_box"
answer_yes
check "\"Yes\" to ending the running Velmar starts the download" downloading
wait_for_success 3.0.0.0
[ -z "$message_box" ] || shoot running-copies-message-wine "$message_box"
check "version 3, whose settings.ini starts with a byte-order mark and packageUrl, is in D:\\Apps\\VelmarD" \
    package_in_place
sleep 1
close_installer
stayed=$(work_folders)
check "with a copy still running, the working folder waits for the next start ($(echo $stayed))" test -n "$stayed"
check "the log says what stays, and why" \
    grep -Eq 'still in use; the next start removes it \(.*Velmar\.exe: .+\)' "$install_dir/installer.log"
wine taskkill /F /IM Velmar.exe >>"$logs/taskkill.log" 2>&1
for _ in $(seq 60); do [ "$(velmar_count)" -eq 0 ] && break; sleep 0.5; done
start_installer after
sleep 1
close_installer
check "after the next start no working folder is left in D:\\Apps\\VelmarD ($(echo $(work_folders)))" \
    test -z "$(work_folders)"
finish
