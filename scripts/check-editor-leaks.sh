#!/usr/bin/env bash
# Runs the editor tests in a Debug build, where JUCE's leak detector reports at exit every
# object of the program's classes still alive: the editor must leave nothing behind, whatever
# windows and overlays were open when it went. Fails on any reported leak or failed test.
# DEBUG_BUILD_DIR (default: build-debug) holds the Debug build.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
debug_dir="${DEBUG_BUILD_DIR:-$root/build-debug}"

BUILD_DIR="$debug_dir" BUILD_TYPE=Debug bash "$root/scripts/build.sh" --target dravin8_tests_editor

log="$(mktemp)"
trap 'rm -f "$log"' EXIT

status=0
"$debug_dir/tests/dravin8_tests_editor" "$@" >"$log" 2>&1 || status=$?
cat "$log"

if grep -q "Leaked objects detected" "$log"; then
    echo "check-editor-leaks: the editor tests leaked objects" >&2
    exit 1
fi
exit "$status"
