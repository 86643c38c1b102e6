#!/usr/bin/env bash
# Builds the Windows libraries the installer links against, once per machine:
# Qt 5.15 qtbase (static, static runtime, Schannel), QuaZip and libsodium, all
# from Debian's source packages, cross-compiled with mingw-w64's POSIX-thread
# compilers.
#
# The result goes into a cache folder outside the checkout, named after the
# package versions and this recipe, so every later build, test and CI run on
# the machine reuses it and a changed recipe builds a new one. The work happens
# in a scratch folder next to it and is moved into place only when finished:
# an interrupted run leaves no half cache behind, and the next run resumes the
# steps that had not finished.
#
#   scripts/windows-toolchain.sh           build if missing, print the prefix
#   scripts/windows-toolchain.sh --prefix  print the prefix, build nothing
#
# INSTALLER_MINGW_CACHE overrides the cache root (default /var/cache/installer-mingw).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cache_root=${INSTALLER_MINGW_CACHE:-/var/cache/installer-mingw}
jobs=${INSTALLER_MINGW_JOBS:-$(nproc)}

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

version_of() {
    apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ { print $2; exit }'
}

qt_version=$(version_of qtbase5-dev)
quazip_version=$(version_of libquazip1-qt5-dev)
sodium_version=$(version_of libsodium-dev)
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)

# The recipe: what changes the built libraries. Its hash is part of the key.
# Built for size: the installer's whole job is to fetch the real product, so
# its own download should be small. Every function and datum gets a section of
# its own so that the program's link (--gc-sections) keeps only what is used.
# (Link-time optimisation across Qt was tried: GCC 12's mingw linker plugin
# fails on Qt's objects, with an internal error or duplicate sections.)
#
# The features turned off are ones Qt would otherwise link in without the
# installer ever using them, found in a link map of installer.exe: the widgets
# the installer does not show (Qt's style sheets and accessibility refer to
# every widget class there is, so each one left on is linked whole), the file
# dialog and item views (Browse uses the system's own folder dialog on
# Windows), the native Windows style (the installer's style sheets draw every
# control on Qt's own Windows style; the native one refers to widgets of
# every kind without asking whether they are built), the MIME database,
# Markdown and ODF in the text document, the Asian legacy codecs and
# non-Gregorian calendars, time zones, the public-suffix table, the state
# machine, the tray icon, widget effects, PPM/XBM images, FreeType and
# HarfBuzz beside Windows' own font engine and shaping, PCRE2's JIT compiler,
# and the Qt modules nothing links (SQL, XML, Concurrent). The text editor,
# the menu bar and XPM images stay: the style sheets' code, the menus' (the
# folder field's context menu) and the Windows platform's cursors cannot be
# built without them.
qt_flags=(
    -opensource -confirm-license
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -static -static-runtime -release -optimize-size
    -schannel -no-openssl
    -no-opengl -no-dbus -no-icu -no-direct2d -no-feature-tabletevent
    -qt-zlib -qt-libpng -no-libjpeg -no-gif -qt-pcre -no-harfbuzz -no-freetype -no-libmd4c
    -no-feature-mimetype -no-feature-textmarkdownwriter -no-feature-textodfwriter
    -no-feature-ftp -no-feature-bearermanagement -no-feature-networkdiskcache
    -no-feature-dnslookup -no-feature-dtls -no-feature-ocsp -no-feature-sctp -no-feature-gssapi
    -no-feature-big_codecs -no-feature-topleveldomain -no-feature-statemachine -no-feature-gestures
    -no-feature-timezone -no-feature-systemtrayicon -no-feature-effects
    -no-feature-jalalicalendar -no-feature-hijricalendar -no-feature-islamiccivilcalendar
    -no-feature-imageformat_ppm -no-feature-imageformat_xbm
    -no-feature-movie -no-feature-picture -no-feature-pdf
    -no-feature-graphicsview -no-feature-mdiarea -no-feature-mainwindow -no-feature-dockwidget
    -no-feature-toolbar -no-feature-statusbar -no-feature-tabbar -no-feature-tabwidget
    -no-feature-toolbox -no-feature-splashscreen -no-feature-lcdnumber -no-feature-dial
    -no-feature-calendarwidget -no-feature-datetimeedit -no-feature-spinbox -no-feature-splitter
    -no-feature-textbrowser -no-feature-syntaxhighlighter -no-feature-keysequenceedit
    -no-feature-commandlinkbutton -no-feature-whatsthis -no-feature-undocommand
    -no-feature-colordialog -no-feature-fontdialog -no-feature-fontcombobox -no-feature-inputdialog
    -no-feature-errormessage -no-feature-progressdialog -no-feature-wizard -no-feature-filedialog
    -no-feature-filesystemmodel -no-feature-dirmodel -no-feature-completer -no-feature-fscompleter
    -no-feature-combobox -no-feature-itemviews -no-feature-listview -no-feature-treeview
    -no-feature-tableview -no-feature-columnview -no-feature-datawidgetmapper -no-feature-style-fusion -no-feature-style-windowsvista
    -no-feature-sql -no-feature-xml -no-feature-concurrent
    -no-sql-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql
    -nomake examples -nomake tests
    -D PCRE2_DISABLE_JIT
    "QMAKE_CFLAGS+=-ffunction-sections -fdata-sections"
    "QMAKE_CXXFLAGS+=-ffunction-sections -fdata-sections"
)
# Three small changes to Qt's own sources, for size as well:
# - QAsn1Element checks for ASCII digits with std::isdigit in the "C" locale,
#   and double-conversion lowers ASCII letters through the "C" locale's
#   ctype facet; either alone links libstdc++'s whole locale machinery
#   (about 520 KB). Both become plain ASCII tests, which is what they mean;
# - Qt's built-in style pictures (about 330 KB in five sizes) are dropped:
#   Windows' own theme supplies the standard icons, and the installer's
#   style resource draws its own.
qt_patches_version=2
patch_qt_sources() { # unpacked qtbase folder
    sed -i -e '/const std::locale localeC;/d' \
        -e 's/!std::isdigit(v, localeC)/(v < '"'"'0'"'"' || v > '"'"'9'"'"')/' \
        "$1/src/network/ssl/qasn1element.cpp"
    sed -i -e '/static const std::ctype<char>& cType =/,/return cType.tolower(ch);/c\
  return ch >= '"'"'A'"'"' \&\& ch <= '"'"'Z'"'"' ? char(ch - '"'"'A'"'"' + '"'"'a'"'"') : ch;' \
        "$1/src/3rdparty/double-conversion/double-conversion.cc"
    sed -i -E '/-(16|32|48|64|128)\.png</d' "$1/src/widgets/styles/qstyle.qrc"
}
quazip_flags=(-DQUAZIP_QT_MAJOR_VERSION=5 -DQUAZIP_FETCH_LIBS=OFF -DQUAZIP_BZIP2=OFF -DQUAZIP_ENABLE_TESTS=OFF
    "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections" "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections")
sodium_flags=(--host=x86_64-w64-mingw32 --enable-static --disable-shared
    "CFLAGS=-O2 -ffunction-sections -fdata-sections")
recipe_hash=$(echo "${qt_flags[*]} | ${quazip_flags[*]} | ${sodium_flags[*]} | lowercase-libs-1 | patches-${qt_patches_version}" | sha256sum | cut -c1-12)
key="qt${qt_version}-quazip${quazip_version}-sodium${sodium_version}-gcc${compiler_version}-${recipe_hash}"
key=$(echo "$key" | tr -c 'A-Za-z0-9.\n-' '_')
prefix="$cache_root/$key"

if [ "${1:-}" = "--prefix" ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

log() { echo "windows-toolchain: $(date +%H:%M:%S) $*" >&3; }
exec 3>&2

# One build per key at a time: a second caller waits and then finds the cache.
mkdir -p "$cache_root"
exec 9>"$cache_root/.lock-$key"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

scratch="$cache_root/.build-$key"
build_log="$scratch/build.log"
stage="$scratch/stage"           # make install DESTDIR; the prefix lives inside
staged_prefix="$stage$prefix"
mkdir -p "$scratch/src" "$stage"
log "building into $prefix (scratch $scratch, log $build_log); about 20 minutes on two cores"
# The compilers' output goes to the log; a failure shows its end.
exec 3>&2 2>>"$build_log"
trap 'status=$?; [ $status -eq 0 ] || { exec 2>&3; tail -n 40 "$build_log" >&2; log "failed (status $status); the next run resumes"; }' EXIT

# Debian's source packages: a deb-src entry beside the existing deb one.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    log "adding deb-src entries for the Debian sources"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${sudo[@]}" tee /etc/apt/sources.list.d/installer-deb-src.sources >/dev/null
    "${sudo[@]}" apt-get update -q >&2
fi

# The build tools: the mingw compilers under their plain names, POSIX threads
# (std::mutex, which QtTest needs, is missing with the win32-thread ones).
tools="$scratch/tools"
mkdir -p "$tools"
for tool in gcc g++; do
    ln -sf "$(command -v x86_64-w64-mingw32-$tool-posix)" "$tools/x86_64-w64-mingw32-$tool"
done
export PATH="$tools:$PATH"

fetch_source() { # package, unpacked folder glob
    local package=$1
    cd "$scratch/src"
    # shellcheck disable=SC2086 # the folder name is a glob
    if ! ls -d $2 >/dev/null 2>&1; then
        apt-get source -q "$package" >&2
    fi
    # shellcheck disable=SC2086
    ls -d $2 | head -n1
}

# --- Qt ---------------------------------------------------------------------
if [ ! -f "$scratch/qt.done" ]; then
    qt_src=$(fetch_source qtbase-opensource-src 'qtbase-opensource-src-*/')
    patch_qt_sources "$scratch/src/$qt_src"
    qt_build="$scratch/qt-build"
    mkdir -p "$qt_build"
    cd "$qt_build"
    if [ ! -f "$scratch/qt.configured" ]; then
        log "configuring Qt"
        nice "$scratch/src/$qt_src/configure" -prefix "$prefix" "${qt_flags[@]}" >&2
        touch "$scratch/qt.configured"
    fi
    log "building Qt"
    # A run killed while the assembler wrote leaves an empty object newer
    # than its source, which make would take as built.
    find "$qt_build" -name '*.o' -size 0 -delete
    nice make -j"$jobs" >&2
    rm -rf "$staged_prefix"
    make install INSTALL_ROOT="$stage" >&2
    touch "$scratch/qt.done"
fi
# Qt's static link lines name Windows libraries in mixed case (-lSecur32);
# the mingw import libraries are lower case and this file system tells them
# apart. Idempotent, so a resumed run applies it too.
find "$staged_prefix" \( -name '*.prl' -o -name '*.cmake' -o -name '*.pri' -o -name '*.pc' \) -print0 |
    xargs -0 sed -i -E 's/(-l|\b)(Secur32|Crypt32|Ws2_32|Shlwapi|Advapi32|Ole32|User32|Gdi32|Shell32)\b/\1\L\2/g'

cross_cmake=(
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_PREFIX_PATH="$staged_prefix"
    -DBUILD_SHARED_LIBS=OFF
    -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
    -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a
)

# --- QuaZip -----------------------------------------------------------------
if [ ! -f "$scratch/quazip.done" ]; then
    log "building QuaZip"
    quazip_src=$(fetch_source libquazip1-qt5 'libquazip1-qt5-*/')
    rm -rf "$scratch/quazip-build"
    nice cmake -S "$scratch/src/$quazip_src" -B "$scratch/quazip-build" -G Ninja "${cross_cmake[@]}" \
        "${quazip_flags[@]}" >&2
    nice cmake --build "$scratch/quazip-build" --parallel "$jobs" >&2
    DESTDIR="$stage" cmake --install "$scratch/quazip-build" >&2
    touch "$scratch/quazip.done"
fi

# --- libsodium --------------------------------------------------------------
if [ ! -f "$scratch/sodium.done" ]; then
    log "building libsodium"
    sodium_src=$(fetch_source libsodium 'libsodium-*/')
    # Debian's source is the release tag without the generated script.
    [ -x "$scratch/src/$sodium_src/configure" ] || (cd "$scratch/src/$sodium_src" && autoreconf -fi >&2)
    rm -rf "$scratch/sodium-build"
    mkdir -p "$scratch/sodium-build"
    cd "$scratch/sodium-build"
    nice "$scratch/src/$sodium_src/configure" --prefix="$prefix" "${sodium_flags[@]}" >&2
    nice make -j"$jobs" >&2
    make install DESTDIR="$stage" >&2
    touch "$scratch/sodium.done"
fi

# --- into place -------------------------------------------------------------
cat >"$staged_prefix/README.txt" <<EOF
Windows libraries for the installer, built by scripts/windows-toolchain.sh.
Qt $qt_version (qtbase), QuaZip $quazip_version, libsodium $sodium_version,
x86_64-w64-mingw32 g++ $compiler_version (posix threads), recipe $recipe_hash.
EOF
touch "$staged_prefix/.complete"
rm -rf "$prefix"
mv "$staged_prefix" "$prefix"
exec 2>&3
rm -rf "$scratch"
log "done"
echo "$prefix"
