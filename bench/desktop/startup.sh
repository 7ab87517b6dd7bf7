#!/usr/bin/env bash
# Start-up of the desktop program to its first frame: orvanta3 on a private X server with the
# start-up window off, a job loaded at start-up, the virtual display shown and an emulated 4 x 20
# panel; the time from the program's launch until the job's first row is on the panel (the
# display thread hands each frame to the panel and to the virtual display in the same tick).
# A session bus of its own stands in for the desktop's. Prints every run and the median.
#   bench/desktop/startup.sh [RUNS]     (build first with scripts/build; needs Xvfb, dbus-daemon)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
runs=${1:-7}
program="$build/orvanta3/orvanta3"
[[ -x "$program" ]] || { echo "build first: scripts/build" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "needs Xvfb (package xvfb)" >&2; exit 2; }

work=$(mktemp -d)
exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
mapfile -t bus < <(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1)
trap 'kill "$xvfb" "${bus[1]}" 2>/dev/null; rm -rf "$work"' EXIT
export DBUS_SESSION_BUS_ADDRESS="${bus[0]}"
for _ in $(seq 500); do [[ -s "$work/display" ]] && break; sleep 0.01; done
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_DOCUMENTS_DIR="$work" XDG_CONFIG_HOME="$work/config"
export ORVANTA3_SHM_SUFFIX="-bench-$$"
printf '[Bench]\nLine1=Bench screen\nLine2=$time$\nShow=1\nTimeout=0\n' >"$work/bench.orv3"
cat >"$work/Orvanta3.ini" <<'INI'
[Common]
Show splash-screen=0
Autoload job=1
Job name=bench.orv3
QuitMsg=
[Virtual screen]
Show=1
[textport.so]
Active=1
Lines count=4
Cols count=20
Timing=0
[chronos.so]
Active=1
INI

times=()
for run in $(seq "$runs"); do
    state="$work/panel-$run.state"
    export ORVANTA3_PORTIO="emu:hd44780:4x20:$state"
    start=$(date +%s%N)
    "$program" >"$work/run.log" 2>&1 &
    pid=$!
    until grep -q '^|Bench screen' "$state" 2>/dev/null; do
        kill -0 "$pid" 2>/dev/null || { cat "$work/run.log" >&2; exit 1; }
        sleep 0.002
    done
    end=$(date +%s%N)
    kill -TERM "$pid"
    wait "$pid"
    ms=$(((end - start) / 1000000))
    times+=("$ms")
    echo "run $run: ${ms} ms"
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
echo "start-up to the first frame: median ${median} ms of $runs runs"
