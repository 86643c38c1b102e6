#!/usr/bin/env bash
# The one way to run every test: installs what is missing, builds the static
# Windows Qt once when the machine has none (scripts/windows-toolchain.sh),
# builds, and runs the unit tests, the process tests, the fuzz seeds, the
# Windows layer tests and the Windows program's tests and black-box
# installation under Wine through CTest. Arguments go to ctest.
#
# Two rounds: the Linux build's own tests, then the Windows program's (label
# windows_program). The second spends most of its time waiting for Wine and
# its windows, so it runs twice as many tests at once as there are
# processors.
#
# On a machine without the Windows libraries they build in the background,
# at low priority, while the Linux build and its tests run: those have the
# processors whenever they want them, and the library build takes the rest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/bootstrap.sh"

run_tests() { # run_tests JOBS [ctest arguments...]
    local jobs=$1
    shift
    (cd "$build" && ctest --output-on-failure --parallel "$jobs" "$@")
}

toolchain=
if [ ! -f "$("$root/scripts/windows-toolchain.sh" --prefix)/.complete" ]; then
    # A session of its own, so that it stops whole (make and the compilers
    # with it) when this script ends early; the next run resumes it.
    setsid "$root/scripts/windows-toolchain.sh" >/dev/null &
    toolchain=$!
    trap 'kill -- "-$toolchain" 2>/dev/null || true' EXIT
    trap 'exit 130' INT TERM
fi

status=0
"$root/scripts/build.sh"
run_tests "$(nproc)" -LE windows_program "$@" || status=$?
if [ -n "$toolchain" ]; then
    wait "$toolchain"
    trap - EXIT
    # Configured again: the build now finds the Windows libraries.
    "$root/scripts/build.sh"
fi
run_tests "$((2 * $(nproc)))" -L windows_program "$@" || status=$?
exit "$status"
