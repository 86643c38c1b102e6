# shellcheck shell=bash disable=SC2154  # reads the sourcing script's variables
# The demos' checks and their report: every check is one line, passed or
# failed, and the report at the end lists them all with the screenshots.
#
#   . scripts/lib/report.sh
#   check TEXT COMMAND...           # one line of the report
#   report_finish TITLE DETAIL...   # prints the report and exits: 0 when every check passed
#
# Sourced, not run. The script that sources it provides:
#   shots   the folder of its screenshots, listed in the report
#   logs    the folder of its logs; after a failed check they are copied
#           beside the screenshots (or named where they are, with keep=1)
#   keep    1 when the throw-away folder with the logs is kept

report_results=()
report_failures=0

# Runs COMMAND; its status makes the line "ok" or "FAILED".
check() { # check TEXT COMMAND...
    local text=$1
    shift
    if "$@"; then
        report_results+=("ok      $text")
    else
        report_results+=("FAILED  $text")
        report_failures=$((report_failures + 1))
    fi
}

# The report: TITLE, the DETAIL lines (what was installed from where), one
# line per check, the screenshots and the result. Exits with 0 when every
# check passed and 1 otherwise.
report_finish() { # report_finish TITLE DETAIL...
    local line
    echo
    echo "$1"
    shift
    for line in "$@" "${report_results[@]}"; do echo "  $line"; done
    echo "  screenshots in $shots:"
    ls -1 "$shots" | sed 's/^/    /'
    if [ "$report_failures" -eq 0 ]; then
        echo "  result: everything checked out"
        exit 0
    fi
    echo "  result: $report_failures check(s) failed"
    if [ "${keep:-0}" -eq 1 ]; then
        echo "  logs in $logs"
    elif cp -r "$logs" "$shots/logs" 2>/dev/null; then
        echo "  logs in $shots/logs"
    fi
    exit 1
}
