#!/usr/bin/env bash
# Starts or stops a JACK server with its dummy driver (48 kHz, 512 frames, 24 in, 2 out), which
# paces audio callbacks in real time on machines without a sound card.
#   jack-server.sh start STATE_DIR   start one unless a server already runs
#   jack-server.sh stop STATE_DIR    stop the one this script started
set -euo pipefail

action="${1:?start or stop}"
state_dir="${2:?state folder}"
pid_file="$state_dir/jackd.pid"
export JACK_NO_START_SERVER=1

server_running() {
    # jack_wait -c exits 0 either way; it prints "running" or "not running".
    [ "$(timeout 5 jack_wait -c 2>/dev/null)" = "running" ]
}

clean_stale_files() {
    # A killed server leaves these behind and the next start fails with "server already active".
    if ! pgrep -x jackd >/dev/null 2>&1; then
        rm -rf /dev/shm/jack_default_* /dev/shm/jack_db-* /dev/shm/jack-[0-9]* /dev/shm/jack_sem.* 2>/dev/null || true
    fi
}

case "$action" in
    start)
        mkdir -p "$state_dir"
        if server_running; then
            echo "JACK server already running; using it"
            rm -f "$pid_file"
            exit 0
        fi
        clean_stale_files
        setsid jackd --no-realtime -d dummy -r 48000 -p 512 -C 24 -P 2 >"$state_dir/jackd.log" 2>&1 < /dev/null &
        echo $! >"$pid_file"
        if ! timeout 15 jack_wait -w -t 10 >/dev/null 2>&1; then
            echo "JACK server did not start:"
            cat "$state_dir/jackd.log"
            exit 1
        fi
        echo "JACK server started (pid $(cat "$pid_file"))"
        ;;
    stop)
        if [ -f "$pid_file" ]; then
            pid="$(cat "$pid_file")"
            kill -TERM "$pid" 2>/dev/null || true
            for _ in $(seq 1 50); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
            kill -KILL "$pid" 2>/dev/null || true
            rm -f "$pid_file"
            clean_stale_files
            echo "JACK server stopped"
        fi
        ;;
    *)
        echo "usage: $0 start|stop STATE_DIR" >&2
        exit 2
        ;;
esac
