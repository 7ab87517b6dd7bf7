#!/usr/bin/env bash
# Runs orvanta3d for a while on an emulated 4 x 20 panel (textport, "Timing" 0, "Base timeout"
# 250) with a typical busy screen, and prints the CPU seconds it used per minute (user + system)
# and its peak resident memory.
#   bench/daemon-screen.sh [SECONDS] [SCREEN]     (build first with scripts/build)
# SECONDS: default 60. SCREEN: "clock" (default: time, a bar of the seconds, plain text and a
# scrolling line) or "system" (the same shape filled by the processor, memory and drive
# modules: all four processor tags, the five memory tags, two drive tags).
# With ORVANTA3_BENCH_LCDD_PORT=PORT the panel is the LCDd on 127.0.0.1:PORT (driver lcdd.so)
# instead of the emulated one; bench/daemon-lcdd.sh runs both side by side.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
screen=${2:-clock}
[[ "$screen" == clock || "$screen" == system ]] || { echo "SCREEN is clock or system" >&2; exit 2; }
daemon="$build/orvanta3/orvanta3d"
[[ -x "$daemon" ]] || { echo "build first: scripts/build" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "needs GNU time (package time)" >&2; exit 2; }

work=$(mktemp -d)
# The emulated panel's state file goes to memory (tmpfs) when there is one, as a panel's
# contents would be: on a disk file system its rewrites would cost more than the program.
shm=${XDG_RUNTIME_DIR:-/dev/shm}
[[ -d "$shm" && -w "$shm" ]] || shm="$work"
state=$(mktemp "$shm/orvanta3-bench-XXXXXX.state")
trap 'rm -rf "$work" "$state"' EXIT
if [[ -n "${ORVANTA3_BENCH_LCDD_PORT:-}" ]]; then
    driver=$'[lcdd.so]\nActive=1\nServer=127.0.0.1\nPort='"$ORVANTA3_BENCH_LCDD_PORT"
else
    driver=$'[textport.so]\nActive=1\nLines count=4\nCols count=20\nTiming=0'
fi
cat >"$work/Orvanta3.ini" <<INI
[Common]
Base timeout=250
QuitMsg=
$driver
[chronos.so]
Active=1
[glyphset.so]
Active=1
INI
long="Headlines: an eighty-three character line that scrolls one character per tick ok"
if [[ "$screen" == clock ]]; then
    cat >"$work/bench.orv3" <<JOB
[Bench]
Timeout=0
Line1=\$time[5,,,4]\$
Align1=1
Line2=\$defineCharset[0]\$\$nowSec[,,12,4,bar]\$ \$nowSec[,,2,4]\$%
Line3=RAM 3172/15923 MB
Line4=${long}
Scroll4=0
Show=1
JOB
else
    printf '[procgauge.so]\nActive=1\n[ramgauge.so]\nActive=1\n[diskfacts.so]\nActive=1\n' \
        >>"$work/Orvanta3.ini"
    # The clock screen's shape (two rows that change every second, one static, one that
    # scrolls every tick), so both screens write the panel as often: the load and the memory
    # every second, the drives every second, the processor's frequency, maker and name every 5 s.
    cat >"$work/bench.orv3" <<JOB
[Bench]
Timeout=0
Line1=CPU \$cpuUsage[,,,2]\$% \$cpuFreq[,,,1]\$
Line2=\$defineCharset[0]\$\$cpuUsage[,,12,2,bar]\$ RAM \$memUsing[,,,2]\$%
Line3=\$memPFree[,,,2]\$ / \$%driveUsed[0,,,2]\$%
Line4=\$cpuVendor[,,,1]\$ \$cpuID[,,,1]\$, RAM \$memPSize[,,,2]\$, swap \$memVFree[,,,2]\$ of \$memVSize[,,,2]\$, \$driveFree[0,,,2]\$ free on /
Scroll4=0
Show=1
JOB
fi

XDG_DOCUMENTS_DIR="$work" ORVANTA3_PORTIO="emu:hd44780:4x20:$state" \
    /usr/bin/time -f "%U %S %M" -o "$work/usage" \
    "$daemon" --job "$work/bench.orv3" --seconds "$seconds" >/dev/null
read -r user system peakKb <"$work/usage"
awk -v u="$user" -v s="$system" -v n="$seconds" -v m="$peakKb" 'BEGIN {
    printf "CPU: %.3f s per minute (user %.2f s + system %.2f s in %d s)\n", (u + s) * 60 / n, u, s, n
    printf "Peak resident memory: %.1f MB\n", m / 1024
}'
