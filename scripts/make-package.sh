#!/usr/bin/env bash
# The publisher helper: turns a folder into a product package for the
# installer and prints the settings.ini lines that go with it.
#
#   scripts/make-package.sh [-s <minisign secret key> [-p <productName>] [-v <productVersion>]]
#                           <folder> <output.zip> [base URL]
#
# The folder's whole contents go to the top of the zip (no enclosing folder),
# hidden files and folders (names starting with ".") included, with their
# permissions, so the installer unpacks them straight into the install folder
# just as they are here. Symbolic links to files are stored as the files they
# point to: the installer recreates links only where the system allows it
# (not on Windows, where a packaged link would be a missing file).
#
# Standard output carries only the settings.ini lines:
#   bytesTotal=<sum of the sizes of the files the installer will copy>
#   packageSha256=<SHA-256 of the package, which the installer checks>
#   packageUrl=<base URL>/<output file name>
#   packagePublicKey=<public key of the secret key>          (with -s only)
# With -s, minisign signs the package into <output.zip>.minisig, which is
# published beside it; the installer then refuses a package without a valid
# signature by that key. minisign asks for the key's password, if it has one.
# The signature's trusted comment names the file and, with -p and -v, the
# product and version as settings.ini names them (productName,
# productVersion): the installer refuses a signature made for another file,
# product or version, so an older signed package served under a new name
# does not install.
# The installer compares bytesTotal with the free space of the target volume
# and counts its copy progress against it, file by file, so it must be exact:
# it is the sum of the sizes of the regular files the package holds (folders
# add nothing; a link would add nothing either, but none is ever stored).
set -euo pipefail

me=make-package
fail() {
    echo "$me: $*" >&2
    exit 1
}

usage() {
    echo "usage: $0 [-s <minisign secret key> [-p <productName>] [-v <productVersion>]] <folder> <output.zip> [base URL]" >&2
    exit 2
}
secret_key=
product=
version=
while getopts s:p:v: option; do
    case $option in
        s) secret_key=$OPTARG ;;
        p) product=$OPTARG ;;
        v) version=$OPTARG ;;
        *) usage ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    usage
fi
if [ -z "$secret_key" ] && [ -n "$product$version" ]; then
    fail "-p and -v name what the signature is for; they need -s"
fi
case "$product$version" in
    *$'\t'* | *$'\n'*) fail "the product name and version may not hold tabs or line breaks" ;;
esac
folder=$1
output=$2
base_url=${3-}

command -v zip >/dev/null || fail "needs 'zip' (scripts/bootstrap.sh installs it)"
command -v zipinfo >/dev/null || fail "needs 'zipinfo' from 'unzip' (scripts/bootstrap.sh installs it)"
if [ -n "$secret_key" ]; then
    command -v minisign >/dev/null || fail "needs 'minisign' to sign (scripts/bootstrap.sh installs it)"
    [ -f "$secret_key" ] || fail "the secret key '$secret_key' is not a file"
    secret_key=$(cd "$(dirname "$secret_key")" && pwd -P)/$(basename "$secret_key")
fi

[ -d "$folder" ] || fail "'$folder' is not a folder"
folder=$(cd "$folder" && pwd -P)
case "$output" in
    */*) output_dir=${output%/*} ;;
    *) output_dir=. ;;
esac
[ -n "$output_dir" ] || output_dir=/
[ -d "$output_dir" ] || fail "the folder of '$output' does not exist"
output=$(cd "$output_dir" && pwd -P)/${output##*/}
case "${output##*/}" in
    '' | . | ..) fail "'$2' does not name a file" ;;
esac
# A package written into the folder it packs would contain itself next time.
case "$output" in
    "$folder"/*) fail "the package must not be written inside '$folder'" ;;
esac

cd "$folder"

# Entries the package cannot carry faithfully are refused up front rather
# than surfacing later as a broken installation.
broken=$(find . -xtype l -print)
[ -z "$broken" ] || fail "symbolic links that lead nowhere: ${broken//$'\n'/, }"
dir_links=$(find . -type l -xtype d -print)
[ -z "$dir_links" ] || fail "symbolic links to folders (store the folder itself): ${dir_links//$'\n'/, }"
unreadable=$(find . ! -readable -print)
[ -z "$unreadable" ] || fail "entries that cannot be read: ${unreadable//$'\n'/, }"
special=$(find . ! -type f ! -type d ! -type l -print)
[ -z "$special" ] || fail "entries that are neither files nor folders: ${special//$'\n'/, }"

newline_names=$(find . -name $'*\n*' -print)
[ -z "$newline_names" ] || fail "file names with line breaks cannot be packaged"

[ -n "$(find . -mindepth 1 -print -quit)" ] || fail "'$folder' holds nothing to package"

# Build next to the target and move into place, so a failed run never leaves
# a half-written package under the published name.
partial=$(mktemp "$output.XXXXXX.partial")
trap 'rm -f -- "$partial"' EXIT
rm -f -- "$partial"
# -X: no owner ids or extra time stamps (permissions stay in the entries).
# Folders are listed too, so empty ones are kept; links are followed.
find . -mindepth 1 -print | sed 's|^\./||' | LC_ALL=C sort |
    zip -q -X -@ "$partial" || fail "zip could not write the package"

# Count what the package really holds, the way the installer counts its copy:
# the uncompressed sizes of the regular file entries ("-" in the listing).
# Folders count 0, and so would a stored link, which the installer recreates
# instead of copying; every file and every link of the folder must have
# become one regular file entry, or the count would not be the installer's.
listing=$(zipinfo -l "$partial") || fail "the written package cannot be listed; not written"
bytes_total=$(printf '%s\n' "$listing" | awk '
    /^-/ { sum += $4 }
    END { printf "%.0f\n", sum }')
files_in_zip=$(printf '%s\n' "$listing" | grep -c '^-' || true)
files_on_disk=$(find . \( -type f -o -type l \) | wc -l)
[ "$files_in_zip" -eq "$files_on_disk" ] \
    || fail "the package holds $files_in_zip files, the folder $files_on_disk; not written"
unzip -tqq "$partial" || fail "the written package does not test as a sound zip; not written"

# The published pair must belong together: a signature of an earlier build
# beside the new package would only make the installer refuse it.
rm -f -- "$output.minisig"
mv -f -- "$partial" "$output"
trap - EXIT
chmod a+r "$output"
sha256=$(sha256sum -- "$output" | cut -d' ' -f1)

public_key=
if [ -n "$secret_key" ]; then
    key_dir=$(mktemp -d)
    trap 'rm -rf -- "$key_dir"' EXIT
    # Tab-separated fields, as minisign writes its own.
    comment="timestamp:$(date +%s)"$'\t'"file:${output##*/}"
    [ -z "$product" ] || comment+=$'\t'"product:$product"
    [ -z "$version" ] || comment+=$'\t'"version:$version"
    minisign -S -s "$secret_key" -m "$output" -x "$output.minisig" -t "$comment" >&2 \
        || fail "minisign could not sign the package; $output has no signature"
    # The public key, recreated from the secret one, is what settings.ini names.
    minisign -R -s "$secret_key" -p "$key_dir/key.pub" >&2 \
        || fail "minisign could not tell the public key of '$secret_key'"
    public_key=$(sed -n 2p "$key_dir/key.pub")
    chmod a+r "$output.minisig"
fi

name=${output##*/}
echo "$me: wrote $output ($(stat -c %s "$output") bytes, $files_in_zip files)" >&2
echo "bytesTotal=$bytes_total"
echo "packageSha256=$sha256"
if [ -n "$base_url" ]; then
    # The installer names its download after the last "/" segment of the
    # URL, so the file name is percent-encoded and no query may follow it.
    encoded=$(printf '%s' "$name" | LC_ALL=C awk '
        BEGIN { for (i = 0; i < 256; i++) code[sprintf("%c", i)] = i }
        {
            out = ""
            for (i = 1; i <= length($0); i++) {
                c = substr($0, i, 1)
                if (c ~ /[A-Za-z0-9._~-]/) out = out c
                else out = out sprintf("%%%02X", code[c])
            }
            printf "%s", out
        }')
    echo "packageUrl=${base_url%/}/$encoded"
else
    echo "$me: note: set packageUrl to the address where $name will be published" >&2
    echo "packageUrl="
fi
if [ -n "$public_key" ]; then
    echo "$me: wrote the signature $output.minisig; publish it beside the package" >&2
    echo "packagePublicKey=$public_key"
fi
