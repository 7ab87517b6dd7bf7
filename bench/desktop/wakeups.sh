#!/usr/bin/env bash
# The desktop program at rest: orvanta3 on a private X server with a session bus of its own,
# the busy 4 x 20 screen of bench/daemon-screen.sh ("clock") or its static screen ("static")
# loaded at start-up on an emulated panel, the main window hidden (in the tray, or minimised
# where there is none), with the virtual display off ("hidden") or shown ("shown"). Prints the
# CPU seconds per minute, the peak resident memory and the wake-ups per second, thread by
# thread, counted after the first seconds of the run.
#   bench/desktop/wakeups.sh [SECONDS] [hidden|shown] [clock|static|calm]
# (build first with scripts/build; needs Xvfb, dbus-daemon and GNU time)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
mode=${2:-hidden}
screen=${3:-clock}
program="$build/orvanta3/orvanta3"
[[ -x "$program" ]] || { echo "build first: scripts/build" >&2; exit 2; }
[[ "$mode" == hidden || "$mode" == shown ]] || { echo "the mode is hidden or shown" >&2; exit 2; }
case "$screen" in clock | static | calm) ;; *) echo "SCREEN is clock, static or calm" >&2; exit 2 ;; esac
for tool in Xvfb dbus-daemon /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 2; }
done
(( seconds >= 10 )) || { echo "SECONDS is at least 10" >&2; exit 2; }
source "$root/bench/support/screens.sh"
source "$root/bench/support/wakeups.sh"

work=$(mktemp -d)
state=$(panel_state_file "$work")
exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
mapfile -t bus < <(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
timer=
trap '[[ -z "$timer" ]] || kill "$timer" 2>/dev/null; kill "$xvfb" "${bus[1]}" 2>/dev/null
      rm -rf "$work" "$state"' EXIT
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
for _ in $(seq 500); do [[ -s "$work/display" ]] && break; sleep 0.01; done
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_DOCUMENTS_DIR="$work" XDG_CONFIG_HOME="$work/config"
export ORVANTA3_SHM_SUFFIX="-bench-$$" ORVANTA3_PORTIO="emu:hd44780:4x20:$state"

write_bench_job "$screen" "$work/bench.orv3"
show=0
[[ "$mode" == shown ]] && show=1
cat >"$work/Orvanta3.ini" <<INI
[Common]
Base timeout=250
Show splash-screen=0
Autoload job=1
Job name=bench.orv3
QuitMsg=
[Virtual screen]
Show=$show
[textport.so]
Active=1
Lines count=4
Cols count=20
Timing=0
[chronos.so]
Active=1
[glyphset.so]
Active=1
INI

/usr/bin/time -f "%U %S %M" -o "$work/usage" "$program" >"$work/run.log" 2>&1 &
timer=$!
pid=
for _ in $(seq 100); do
    pid=$(cat /proc/$timer/task/$timer/children 2>/dev/null | awk '{print $1}')
    [[ -n "$pid" ]] && break
    sleep 0.1
done
[[ -n "$pid" ]] || { cat "$work/run.log" >&2; exit 1; }
# Counted from the fifth second to one second before the end.
sleep 5
# With ORVANTA3_BENCH_TRACE=FILE, three seconds of the main thread's system calls go to FILE.
[[ -z "${ORVANTA3_BENCH_TRACE:-}" ]] || timeout 3 strace -tt -p "$pid" -o "$ORVANTA3_BENCH_TRACE" 2>/dev/null &
thread_switches "$pid" >"$work/switches.before"
counted=$((seconds - 6))
sleep "$counted"
thread_switches "$pid" >"$work/switches.after"
sleep 1
kill -TERM "$pid"
wait "$timer" || true
timer=

read -r user system peakKb < <(tail -n1 "$work/usage")
awk -v u="$user" -v s="$system" -v n="$seconds" -v m="$peakKb" 'BEGIN {
    printf "CPU: %.3f s per minute (user %.2f s + system %.2f s in %d s)\n", (u + s) * 60 / n, u, s, n
    printf "Peak resident memory: %.1f MB\n", m / 1024
}'
report_wakeups "$work/switches.before" "$work/switches.after" "$counted"
grep -q '^|' "$state" || echo "warning: the panel shows nothing" >&2
