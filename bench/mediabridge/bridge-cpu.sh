#!/usr/bin/env bash
# Runs orvanta3-mpd while an MPD of its own (a null output for the timing and the fifo output
# for the sound) plays a 1 kHz sine, and prints the CPU seconds the bridge used per minute
# (user + system) and its peak resident memory.
#   bench/mediabridge/bridge-cpu.sh [SECONDS]      (default 60; build first with scripts/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
bridge="$build/orvanta3/orvanta3-mpd"
[[ -x "$bridge" ]] || { echo "build first: scripts/build" >&2; exit 2; }
for tool in mpd sox /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool (packages.txt)" >&2; exit 2; }
done

work=$(mktemp -d)
mpd_pid=""
cleanup() {
    [[ -n "$mpd_pid" ]] && kill "$mpd_pid" 2>/dev/null && wait "$mpd_pid" 2>/dev/null || true
    rm -rf "$work"
    rm -f "/dev/shm/OrvantaMP3Data.bench-$$"
}
trap cleanup EXIT
mkdir "$work/music"
sox -n -r 44100 -c 2 "$work/music/sine.flac" synth $((seconds + 30)) sine 1000 vol 0.7
cat >"$work/mpd.conf" <<CONF
music_directory "$work/music"
db_file "$work/mpd.db"
bind_to_address "$work/mpd.sock"
zeroconf_enabled "no"
audio_output {
    type "null"
    name "timing"
}
audio_output {
    type "fifo"
    name "sound"
    path "$work/mpd.fifo"
    format "44100:16:2"
}
CONF
mpd --no-daemon --stderr "$work/mpd.conf" 2>"$work/mpd.log" &
mpd_pid=$!

# A small MPD client: one command, the first answer line.
mpd_command() {
    python3 - "$work/mpd.sock" "$@" <<'PY'
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
f = s.makefile("rw")
f.readline()
for command in sys.argv[2:]:
    f.write(command + "\n"); f.flush()
    line = f.readline()
    while not (line.startswith("OK") or line.startswith("ACK")):
        line = f.readline()
    if line.startswith("ACK"):
        sys.exit(1)
PY
}
for _ in $(seq 100); do
    mpd_command "clear" "add sine.flac" "play" 2>/dev/null && break
    sleep 0.2
done

export MPD_HOST="$work/mpd.sock" ORVANTA3_SHM_SUFFIX=".bench-$$"
/usr/bin/time -f "%U %S %M" -o "$work/usage" \
    timeout --signal=TERM "$seconds" "$bridge" --fifo "$work/mpd.fifo" 2>"$work/bridge.log" || true
read -r user system peakKb < <(tail -n 1 "$work/usage")
awk -v u="$user" -v s="$system" -v n="$seconds" -v m="$peakKb" 'BEGIN {
    printf "CPU: %.3f s per minute (user %.2f s + system %.2f s in %d s)\n",
        (u + s) * 60 / n, u, s, n
    printf "Peak resident memory: %.1f MB\n", m / 1024
}'
