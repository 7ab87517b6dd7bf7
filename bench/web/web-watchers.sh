#!/usr/bin/env bash
# The web interface's cost and speed: runs orvanta3d on an emulated 4 x 20 panel with the clock
# screen of bench/daemon-screen.sh ("Base timeout" 250) five times for SECONDS each and prints
#   - the CPU seconds a minute (user + system) with the web interface off, on with nobody
#     watching, and on with one event-stream watcher;
#   - the frame-to-browser latency (median, 90th percentile) of one watcher in a run of its own:
#     the time from the panel's state file changing to the event with the same row arriving,
#     on loopback (the state file polled every 0.5 ms);
#   - with 20 watchers: the frames a second the panel got against the run with one, and each
#     watcher's missed frames (gaps in the frame numbers).
#   bench/web/web-watchers.sh [SECONDS]     (build first: orvanta3d, orvanta3web, textport,
#                                            chronos, dlportio)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
(( seconds >= 10 )) || { echo "SECONDS is at least 10" >&2; exit 2; }
source "$root/bench/support/web-daemon.sh"

source "$root/bench/support/wakeups.sh"

# Nanosecond processor time of all the daemon's threads (the tick-counted figures of
# /proc/PID/stat are too coarse for the difference asked about).
cpu_seconds() { thread_switches "$1" | awk '{ ns += $5 } END { printf "%.6f\n", ns / 1e9 }'; }

# run WEB WATCHERS [POLL]: prints "cpu-per-minute" and the watchers' report; with POLL the
# state file is polled for the latency (which loads the machine: the processor time of such a
# run is not the interface's alone).
run() {
    local web=$1 watchers=$2 poll=- args=(--config "$work/Orvanta3.ini" --job "$work/clock.job")
    [[ "$web" == on ]] && args+=(--web "127.0.0.1:$port")
    [[ -z "${3:-}" ]] || poll=$state
    "$daemon" "${args[@]}" 2>"$work/err" &
    pid=$!
    sleep 3 # start-up and the greeting
    local before after report=
    before=$(cpu_seconds "$pid")
    if (( watchers > 0 )); then
        report=$(python3 "$root/bench/web/sse_watchers.py" "$port" "$watchers" "$seconds" "$poll")
    else
        sleep "$seconds"
    fi
    after=$(cpu_seconds "$pid")
    kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
    echo "cpu $(echo "($after - $before) * 60 / $seconds" | bc -l | xargs printf '%.4f')"
    [[ -z "$report" ]] || echo "$report"
}

echo "web off:            $(run off 0)"
echo "web on, no watcher: $(run on 0)"
echo "web on, 1 watcher:  $(run on 1 | tr '\n' ' ')"
echo "latency, 1 watcher: $(run on 1 poll | tr '\n' ' ')"
echo "web on, 20 watchers: $(run on 20 poll | tr '\n' ' ')"
