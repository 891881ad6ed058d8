#!/usr/bin/env bash
# Installs what is missing, builds Dravin 8 and starts it. On a machine without a sound card it
# starts a JACK server with its dummy driver first; without a display it runs in Xvfb.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" --target dravin8

jack_state="$build_dir/run-jack"
started_jack=0
if ! ls /dev/snd/pcm* >/dev/null 2>&1; then
    bash "$root/scripts/jack-server.sh" start "$jack_state"
    started_jack=1
fi

stop_jack() {
    if [ "$started_jack" -eq 1 ]; then
        bash "$root/scripts/jack-server.sh" stop "$jack_state"
    fi
}
trap stop_jack EXIT

program="$build_dir/Dravin8"
if [ -n "${DISPLAY:-}" ]; then
    "$program" "$@"
else
    echo "No display: Dravin 8 runs in a virtual display (Xvfb). Press Ctrl-C to quit it."
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$program" "$@"
fi
