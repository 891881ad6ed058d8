#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: headless ones directly,
# window tests in a real X server (Xvfb), device tests against a JACK server with its dummy driver.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

export DRAVIN8_REQUIRE_DISPLAY=1
export JACK_NO_START_SERVER=1

# -noreset: without it Xvfb resets whenever its last client leaves, and a test that
# connects during that reset is cut off (SIGPIPE).
xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" \
    ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)" "$@"
