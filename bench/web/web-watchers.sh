#!/usr/bin/env bash
# The web interface's cost and speed: runs orvanta3d on an emulated 4 x 20 panel with the clock
# screen of bench/daemon-screen.sh ("Base timeout" 250) three times for SECONDS each and prints
#   - the CPU seconds a minute (user + system) with the web interface off, and on with one
#     event-stream watcher;
#   - the frame-to-browser latency (median, 90th percentile) of that watcher: the time from the
#     panel's state file changing to the event with the same row arriving, on loopback;
#   - with 20 watchers: the frames a second the panel got against the run with one, and each
#     watcher's missed frames (gaps in the frame numbers).
#   bench/web/web-watchers.sh [SECONDS]     (build first: orvanta3d, orvanta3web, textport,
#                                            chronos, dlportio)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
daemon="$build/orvanta3/orvanta3d"
[[ -x "$daemon" ]] || { echo "build first: scripts/build" >&2; exit 2; }
(( seconds >= 10 )) || { echo "SECONDS is at least 10" >&2; exit 2; }

work=$(mktemp -d)
pid=
trap '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null; rm -rf "$work" "$state"' EXIT
printf '[Common]\nBase timeout=250\n[textport.so]\nActive=1\nLines count=4\nCols count=20\nTiming=0\n[chronos.so]\nActive=1\n' >"$work/Orvanta3.ini"
source "$root/bench/support/screens.sh"
write_bench_job clock "$work/clock.job"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
state=$(panel_state_file "$work")
export ORVANTA3_PORTIO="emu:hd44780:4x20:$state" XDG_DOCUMENTS_DIR="$work" XDG_STATE_HOME="$work/state"

cpu_seconds() { awk '{ print ($14 + $15) / '"$(getconf CLK_TCK)"' }' "/proc/$1/stat"; }

# run WEB WATCHERS: prints "cpu-per-minute" and the watchers' report
run() {
    local web=$1 watchers=$2 args=(--config "$work/Orvanta3.ini" --job "$work/clock.job")
    [[ "$web" == on ]] && args+=(--web "127.0.0.1:$port")
    "$daemon" "${args[@]}" 2>"$work/err" &
    pid=$!
    sleep 3 # start-up and the greeting
    local before after report=
    before=$(cpu_seconds "$pid")
    if (( watchers > 0 )); then
        report=$(python3 "$root/bench/web/sse_watchers.py" "$port" "$watchers" "$seconds" "$state")
    else
        sleep "$seconds"
    fi
    after=$(cpu_seconds "$pid")
    kill "$pid"; wait "$pid" 2>/dev/null || true; pid=
    echo "cpu $(echo "($after - $before) * 60 / $seconds" | bc -l | xargs printf '%.3f')"
    [[ -z "$report" ]] || echo "$report"
}

echo "web off:           $(run off 0)"
echo "web on, 1 watcher:  $(run on 1 | tr '\n' ' ')"
echo "web on, 20 watchers: $(run on 20 | tr '\n' ' ')"
