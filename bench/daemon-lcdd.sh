#!/usr/bin/env bash
# The cost of driving the panel through LCDd: bench/daemon-screen.sh once on the emulated
# textport panel and once with the driver lcdd.so against a private LCDd (package lcdproc, its
# text driver at 20 x 4 writing to /dev/null), then LCDd's own CPU for the second run and for
# as long again with no client (what it spends anyway).
#   bench/daemon-lcdd.sh [SECONDS] [SCREEN]     (build first with scripts/build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
screen=${2:-clock}
lcdd=$(command -v LCDd || echo /usr/sbin/LCDd)
[[ -x "$lcdd" ]] || { echo "needs LCDd (package lcdproc)" >&2; exit 2; }
drivers=$(dirname "$(ls /usr/lib/*/lcdproc/text.so /usr/lib/lcdproc/text.so 2>/dev/null | head -1)")
[[ -f "$drivers/text.so" ]] || { echo "LCDd's text driver is missing" >&2; exit 2; }

work=$(mktemp -d)
pid=""
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# LCDd on the first free port of a few random tries.
for _ in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 20000))
    cat >"$work/LCDd.conf" <<CONF
[server]
DriverPath=$drivers/
Driver=text
Bind=127.0.0.1
Port=$port
ReportLevel=1
ReportToSyslog=no
Foreground=yes
ServerScreen=no
User=$(id -un)
[text]
Size=20x4
CONF
    "$lcdd" -c "$work/LCDd.conf" -f >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && break
    pid=""
done
[[ -n "$pid" ]] || { echo "LCDd did not start" >&2; exit 1; }

# CPU seconds of LCDd so far (user + system).
lcdd_cpu() { awk -v tick="$(getconf CLK_TCK)" '{ printf "%.3f", ($14 + $15) / tick }' "/proc/$pid/stat"; }
per_minute() { awk -v a="$1" -v b="$2" -v n="$seconds" 'BEGIN { printf "%.3f", (b - a) * 60 / n }'; }

echo "emulated textport panel:"
"$root/bench/daemon-screen.sh" "$seconds" "$screen"
echo "LCDd driver (LCDd on 127.0.0.1:$port):"
before=$(lcdd_cpu)
ORVANTA3_BENCH_LCDD_PORT=$port "$root/bench/daemon-screen.sh" "$seconds" "$screen"
during=$(lcdd_cpu)
sleep "$seconds"
idle=$(lcdd_cpu)
echo "LCDd: $(per_minute "$before" "$during") s per minute during the run," \
    "$(per_minute "$during" "$idle") s per minute with no client"
