#!/usr/bin/env bash
# The engine's layering, read off the build's own link graph: no engine
# library (nor the configuration below it) reaches Qt Widgets, trust and
# unpacking reach no network, registration needs only the configuration, and
# no source below the start-up code includes it.
#
#     check_layering.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
graph=$(mktemp -d)
trap 'rm -rf "$graph"' EXIT

cmake --graphviz="$graph/deps.dot" "$build_dir" >/dev/null
failures=0
# forbid TARGET WHAT: the target's whole link closure must not name WHAT.
forbid() {
    local file="$graph/deps.dot.$1"
    if [ ! -f "$file" ]; then
        echo "FAIL: no link graph for $1"
        failures=$((failures + 1))
    elif grep -q "\"$2\"" "$file"; then
        echo "FAIL: $1 links $2"
        failures=$((failures + 1))
    else
        echo "ok: $1 does not link $2"
    fi
}
for target in installer_config installer_engine_base installer_trust installer_download \
    installer_unpack installer_registration installer_engine; do
    forbid "$target" Qt5::Widgets
    forbid "$target" Qt5::Gui
done
for target in installer_trust installer_unpack installer_registration installer_config; do
    forbid "$target" Qt5::Network
done
for target in installer_download installer_unpack installer_trust installer_engine_base; do
    forbid "$target" installer_registration
done

if grep -rn '#include "\(app\|wizard\|toolkit\)/' "$source_dir/engine" "$source_dir/config"; then
    echo "FAIL: the engine or the configuration includes code above it"
    failures=$((failures + 1))
fi
echo "layering: $failures problem(s)"
[ "$failures" -eq 0 ]
