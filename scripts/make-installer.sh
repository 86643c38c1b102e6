#!/usr/bin/env bash
# The publisher's one-file installer: puts settings.ini, the translations and
# the style resource inside the built program, so that the installer ships
# as a single file, and with --sign signs the Windows program (Authenticode,
# SHA-256) with the publisher's certificate. Nothing is recompiled.
#
#   scripts/make-installer.sh [--windows] [--sign CERT.p12 --pass-file FILE [--timestamp URL]]
#                             FOLDER OUTPUT
#
# FOLDER holds settings.ini and optionally resources/ (translations/*.qm,
# styles/installer.brc); without resources/ the build's own translations and
# style are carried. The program is the build's: build/installer/installer,
# or with --windows build/windows/installer/installer.exe (BUILD_DIR and
# WINDOWS_BUILD_DIR change where they are taken from). A file the user puts
# beside the one-file installer still wins over the carried one, item by item.
#
# Signing comes last, so the signature covers the carried files too; the
# certificate's password is read from --pass-file, never from the command
# line. --timestamp names an RFC 3161 time-stamping server, so that the
# signature stays valid after the certificate expires.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
me=make-installer
fail() {
    echo "$me: $*" >&2
    exit 1
}
usage() {
    echo "usage: $0 [--windows] [--sign CERT.p12 --pass-file FILE [--timestamp URL]] FOLDER OUTPUT" >&2
    exit 2
}

windows=
certificate=
pass_file=
timestamp=
while [ $# -gt 0 ]; do
    case $1 in
        --windows) windows=1 ;;
        --sign) [ $# -ge 2 ] || usage; certificate=$2; shift ;;
        --pass-file) [ $# -ge 2 ] || usage; pass_file=$2; shift ;;
        --timestamp) [ $# -ge 2 ] || usage; timestamp=$2; shift ;;
        -*) usage ;;
        *) break ;;
    esac
    shift
done
[ $# -eq 2 ] || usage
folder=$1
output=$2

if [ -n "$windows" ]; then
    program=${WINDOWS_BUILD_DIR:-${BUILD_DIR:-$root/build}/windows}/installer/installer.exe
else
    program=${BUILD_DIR:-$root/build}/installer/installer
fi
[ -f "$program" ] || fail "no built program at $program (scripts/build.sh, or scripts/build-windows.sh with --windows)"
[ -f "$folder/settings.ini" ] || fail "'$folder' holds no settings.ini"
if [ -n "$certificate" ]; then
    [ -n "$windows" ] || fail "--sign signs the Windows program: it needs --windows"
    [ -f "$certificate" ] || fail "the certificate '$certificate' is not a file"
    [ -f "$pass_file" ] || fail "--sign needs --pass-file with the certificate's password"
    command -v osslsigncode >/dev/null || fail "needs 'osslsigncode' to sign (scripts/bootstrap.sh installs it)"
elif [ -n "$pass_file$timestamp" ]; then
    usage
fi
rcc=$(command -v rcc || echo /usr/lib/qt5/bin/rcc)
[ -x "$rcc" ] || fail "needs Qt's rcc (scripts/bootstrap.sh installs it)"

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# What the program carries, laid out as beside it.
mkdir -p "$work/bundle"
cp -- "$folder/settings.ini" "$work/bundle/settings.ini"
if [ -d "$folder/resources" ]; then
    cp -R -- "$folder/resources" "$work/bundle/resources"
else
    cp -R -- "$(dirname "$program")/resources" "$work/bundle/resources"
fi
(
    cd "$work/bundle"
    echo '<!DOCTYPE RCC><RCC version="1.0"><qresource prefix="/">'
    find . -type f | sort | sed 's|^\./||' | while IFS= read -r file; do
        printf '<file>%s</file>\n' "$(printf '%s' "$file" | sed 's/&/\&amp;/g; s/</\&lt;/g')"
    done
    echo '</qresource></RCC>'
) >"$work/bundle/bundle.qrc"
# Pictures and translations are compressed already; storing keeps start-up
# from inflating them.
(cd "$work/bundle" && "$rcc" -binary -no-compress bundle.qrc -o "$work/payload.rcc")

# [program][payload][padding to 8 bytes][footer]: size (8 bytes), version (4),
# reserved (4), the payload's SHA-256 (32), "INSTBNDL" (8), little-endian. The
# padding keeps the end aligned, as an Authenticode signature wants it.
le() { # le VALUE BYTES
    local value=$1 bytes=$2 i
    for ((i = 0; i < bytes; i++)); do
        printf "\\x$(printf %02x $((value & 255)))"
        value=$((value >> 8))
    done
}
payload_size=$(stat -c %s "$work/payload.rcc")
cp -- "$program" "$work/program"
# The Linux build keeps its symbols for debugging; what ships has none (the
# Windows build is stripped when it is linked).
if [ -z "$windows" ] && [ "$(head -c 4 "$work/program" | tail -c 3)" = ELF ]; then
    strip --strip-all "$work/program" || fail "could not strip the program"
fi
cat "$work/payload.rcc" >>"$work/program"
footer_at=$(($(stat -c %s "$work/program") + 0))
padding=$(((8 - (footer_at + 56) % 8) % 8))
# The padding goes before the payload's end is measured: it is part of it.
head -c "$padding" /dev/zero >>"$work/program"
payload_size=$((payload_size + padding))
head -c "$padding" /dev/zero >>"$work/payload.rcc"
{
    le "$payload_size" 8
    le 1 4
    le 0 4
    printf "$(sha256sum "$work/payload.rcc" | cut -c1-64 | sed 's/../\\x&/g')"
    printf 'INSTBNDL'
} >>"$work/program"

mkdir -p "$(dirname "$output")"
if [ -n "$certificate" ]; then
    # Signed after bundling, so that the signature covers what is carried.
    # The name Windows shows in its prompts: the product's, as settings.ini gives it.
    name=$(sed -n 's/^productText=//p' "$folder/settings.ini" | head -n1 | tr -d '\r')
    [ -n "$name" ] || name=$(sed -n 's/^productName=//p' "$folder/settings.ini" | head -n1 | tr -d '\r')
    sign=(osslsigncode sign -pkcs12 "$certificate" -readpass "$pass_file" -h sha256)
    [ -z "$name" ] || sign+=(-n "$name")
    [ -z "$timestamp" ] || sign+=(-ts "$timestamp")
    "${sign[@]}" -in "$work/program" -out "$work/signed" >&2 || fail "osslsigncode could not sign the program"
    mv -f -- "$work/signed" "$output"
else
    mv -f -- "$work/program" "$output"
fi
chmod 0755 "$output"
echo "$me: wrote $output ($(stat -c %s "$output") bytes, carrying $(find "$work/bundle" -type f ! -name bundle.qrc | wc -l) files)" >&2
