#!/usr/bin/env bash
# Runs orvanta3d for a while on an emulated 4 x 20 panel (textport, "Timing" 0, "Base timeout"
# 250) with a typical busy screen, as systemd runs the service (a notification socket and a
# 30 s watchdog), and prints the CPU seconds it used per minute (user + system), its peak
# resident memory, and its wake-ups per second (context switches, thread by thread, counted
# after the first seconds of the run, which load the modules).
#   bench/daemon-screen.sh [SECONDS] [SCREEN]     (build first with scripts/build)
# SECONDS: default 60. SCREEN: "clock" (default: time, a bar of the seconds, plain text and a
# scrolling line) or "system" (the same shape filled by the processor, memory and drive
# modules: all four processor tags, the five memory tags, two drive tags) or "uservalues" (the
# clock screen's shape filled by valuetap: five command sources run every 5 s, five files
# rewritten every second, five MQTT topics of a private mosquitto published every second).
# With ORVANTA3_BENCH_LCDD_PORT=PORT the panel is the LCDd on 127.0.0.1:PORT (driver lcdd.so)
# instead of the emulated one; bench/daemon-lcdd.sh runs both side by side.
# The D-Bus interface and the media-player watcher run when there is a session bus: the one of
# the environment, or with ORVANTA3_BENCH_SESSION_BUS=private one of the run's own. Without a
# bus the program does not load libsystemd at all, which shows in the peak memory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-60}
screen=${2:-clock}
[[ "$screen" == clock || "$screen" == system || "$screen" == uservalues ]] ||
    { echo "SCREEN is clock, system or uservalues" >&2; exit 2; }
daemon="$build/orvanta3/orvanta3d"
[[ -x "$daemon" ]] || { echo "build first: scripts/build" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "needs GNU time (package time)" >&2; exit 2; }
command -v python3 >/dev/null || { echo "needs python3 (the notification socket)" >&2; exit 2; }
(( seconds >= 10 )) || { echo "SECONDS is at least 10" >&2; exit 2; }

work=$(mktemp -d)
# The emulated panel's state file goes to memory (tmpfs) when there is one, as a panel's
# contents would be: on a disk file system its rewrites would cost more than the program.
shm=${XDG_RUNTIME_DIR:-/dev/shm}
[[ -d "$shm" && -w "$shm" ]] || shm="$work"
state=$(mktemp "$shm/orvanta3-bench-XXXXXX.state")
listener=
bus=
feeders=()
trap 'rm -rf "$work" "$state"; [[ -z "$listener" ]] || kill "$listener" 2>/dev/null
      [[ -z "$bus" ]] || kill "$bus" 2>/dev/null
      (( ${#feeders[@]} == 0 )) || kill "${feeders[@]}" 2>/dev/null' EXIT
if [[ "${ORVANTA3_BENCH_SESSION_BUS:-}" == private ]]; then
    command -v dbus-daemon >/dev/null || { echo "needs dbus-daemon (package dbus)" >&2; exit 2; }
    { read -r address; read -r bus; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS="$address"
fi
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
elif [[ "$screen" == uservalues ]]; then
    command -v /usr/sbin/mosquitto >/dev/null && command -v mosquitto_pub >/dev/null ||
        { echo "needs mosquitto and mosquitto_pub (packages mosquitto, mosquitto-clients)" >&2; exit 2; }
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    printf 'listener %s 127.0.0.1\nallow_anonymous true\nuser %s\n' "$port" "$(id -un)" >"$work/mosquitto.conf"
    /usr/sbin/mosquitto -c "$work/mosquitto.conf" >/dev/null 2>&1 & feeders+=($!)
    until python3 -c 'import socket, sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 1)' "$port" 2>/dev/null; do sleep 0.1; done
    {
        printf '[valuetap.so]\nActive=1\nMQTT host=127.0.0.1\nMQTT port=%s\n' "$port"
        for i in 1 2 3 4 5; do
            printf 'Source%s kind=command\nSource%s command=cat /proc/loadavg\nSource%s field=%s\nSource%s period=5\n' \
                "$i" "$i" "$i" "$i" "$i"
            printf 'Source%s kind=file\nSource%s file=%s\nSource%s period=10\n' \
                "$((i + 5))" "$((i + 5))" "$work/value$i" "$((i + 5))"
            printf 'Source%s kind=mqtt\nSource%s topic=bench/%s\nSource%s pointer=/v\n' \
                "$((i + 10))" "$((i + 10))" "$i" "$((i + 10))"
        done
    } >>"$work/Orvanta3.ini"
    # Every second: each file rewritten by rename, each topic published (one client per topic;
    # its feeding loop ends with it).
    ( n=0; while sleep 1; do n=$(( (n + 7) % 100 ))
          for i in 1 2 3 4 5; do echo "$n" >"$work/value$i.new"; mv "$work/value$i.new" "$work/value$i"; done
      done ) >/dev/null 2>&1 & feeders+=($!)
    for i in 1 2 3 4 5; do
        mosquitto_pub -h 127.0.0.1 -p "$port" -t "bench/$i" -l \
            < <(n=0; while sleep 1; do n=$(( (n + 11 * i) % 100 )); echo "{\"v\": $n}"; done) \
            >/dev/null 2>&1 & feeders+=($!)
    done
    # The clock screen's shape: two rows that change every second (a bar among them), one that
    # changes less often, one that scrolls every tick.
    cat >"$work/bench.orv3" <<JOB
[Bench]
Timeout=0
Line1=\$time[5,,,4]\$ \$userValue[11,,,4]\$ \$userValue[12,,,4]\$ \$userValue[13,,,4]\$
Line2=\$defineCharset[0]\$\$userValue[14,,8,4,bar]\$ \$userValue[15,,,4]\$ \$userValue[6,,,4]\$ \$userValue[7,,,4]\$
Line3=\$userValue[8,,,4]\$ \$userValue[9,,,4]\$ \$userValue[10,,,4]\$ \$userValue[1,,,2]\$ \$userValue[2,,,2]\$
Line4=\$userValue[3,,,2]\$ \$userValue[4,,,2]\$ \$userValue[5,,,2]\$ ${long}
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

# systemd's side of Type=notify: a datagram socket that counts the watchdog's pings.
python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
s.bind(sys.argv[1])
open(sys.argv[2], "w").close()
pings = 0
while True:
    if b"WATCHDOG=1" in s.recv(4096):
        pings += 1
        open(sys.argv[2], "w").write(str(pings))
' "$work/notify" "$work/pings" &
listener=$!
while [[ ! -e "$work/pings" ]]; do sleep 0.1; done

# Voluntary + involuntary context switches of each thread: "TID NAME COUNT" lines.
switches() {
    local task
    for task in /proc/"$1"/task/*; do
        # A name with blanks ("mosquitto loop") stays one field.
        awk -v tid="${task##*/}" -v name="$(tr ' ' '-' <"$task/comm" 2>/dev/null)" \
            '/ctxt_switches/ { n += $2 } END { print tid, name, n }' "$task/status" 2>/dev/null
    done
}

NOTIFY_SOCKET="$work/notify" WATCHDOG_USEC=30000000 \
XDG_DOCUMENTS_DIR="$work" ORVANTA3_PORTIO="emu:hd44780:4x20:$state" \
    /usr/bin/time -f "%U %S %M" -o "$work/usage" \
    "$daemon" --job "$work/bench.orv3" --seconds "$seconds" >/dev/null &
timer=$!
daemon_pid=
for _ in $(seq 100); do
    daemon_pid=$(cat /proc/$timer/task/$timer/children 2>/dev/null | awk '{print $1}')
    [[ -n "$daemon_pid" ]] && break
    sleep 0.1
done
# Counted from the fifth second to one second before the end.
sleep 5
switches "$daemon_pid" >"$work/switches.before"
counted=$((seconds - 6))
sleep "$counted"
switches "$daemon_pid" >"$work/switches.after"
wait "$timer"

read -r user system peakKb <"$work/usage"
awk -v u="$user" -v s="$system" -v n="$seconds" -v m="$peakKb" 'BEGIN {
    printf "CPU: %.3f s per minute (user %.2f s + system %.2f s in %d s)\n", (u + s) * 60 / n, u, s, n
    printf "Peak resident memory: %.1f MB\n", m / 1024
}'
awk -v t="$counted" -v pings="$(cat "$work/pings")" '
    NR == FNR { before[$1] = $3; next }
    { n = $3 - before[$1]; total += n; line[++k] = sprintf("  %-16s %6.2f", $2, n / t) }
    END {
        printf "Wake-ups: %.2f per second over %d s\n", total / t, t
        for (i = 1; i <= k; ++i) print line[i]
        printf "Watchdog pings: %d\n", pings
    }' "$work/switches.before" "$work/switches.after"
if [[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" || -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ||
      -S "/run/user/$(id -u)/bus" ]]; then
    echo "Session bus: yes (the D-Bus interface was on)"
else
    echo "Session bus: none (the D-Bus interface was off)"
fi
