#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need.
# Idempotent: a second run finds everything in place and installs nothing.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools
    libquazip1-qt5-dev zlib1g-dev libx11-dev libxrandr-dev
    # package hashes and signatures: libcrypto's SHA-256, libsodium, and
    # minisign to sign (tests, publisher)
    libssl-dev libsodium-dev minisign
    # Authenticode signatures of the one-file Windows installer (publisher, tests)
    osslsigncode
    # the Windows layer: cross compiler and Wine to run its tests
    g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64
    # libsodium's Debian source has no generated configure script
    autoconf automake libtool
    # tests: fuzzing, desktop entries, TLS certificates, a real X server
    clang libclang-rt-14-dev desktop-file-utils xdg-utils openssl ca-certificates
    xvfb xauth x11-utils xdotool imagemagick
    # the desktop scale set with xrdb; a compositing manager for screenshots
    x11-xserver-utils xcompmgr
    # the demo: a real HTTP server, fonts for both languages, gio to follow a link
    python3 curl unzip zip fonts-dejavu-core fonts-noto-cjk libglib2.0-bin
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = "installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "bootstrap: all ${#packages[@]} packages are installed"
    exit 0
fi

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "bootstrap: installing ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
