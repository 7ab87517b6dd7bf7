#!/usr/bin/env bash
# Runs orvanta3d for a while on an emulated 4 x 20 panel (textport, "Timing" 0, "Base timeout"
# 250) with a typical busy screen, as systemd runs the service (a notification socket and a
# 30 s watchdog), and prints the CPU seconds it used per minute (user + system), its peak
# resident memory, and its wake-ups per second (voluntary context switches, thread by thread,
# counted after the first seconds of the run, which load the modules; preemptions apart).
#   bench/daemon-screen.sh [SECONDS] [SCREEN]     (build first with scripts/build)
# SECONDS: default 60. SCREEN: "clock" (default: time, a bar of the seconds, plain text and a
# scrolling line), "system" (the same shape filled by the processor, memory and drive
# modules: all four processor tags, the five memory tags, two drive tags), "static" (the time
# asked every tick and three lines of plain text) or "calm" (the same with the time asked
# every fourth tick, so that three ticks in four can change nothing) or "uservalues" (the
# clock screen's shape filled by valuetap: five command sources run every 5 s, five files
# rewritten every second, five MQTT topics of a private mosquitto published every second).
# ORVANTA3_BENCH_DRIVER=i2c drives the panel through i2cpanel.so and its emulated backpack,
# =serial through serialpanel.so and a pseudo-terminal that takes the bytes; both also print
# the bytes per display tick on the bus or the line (textport, the default, sends every byte
# it is given with three port writes).
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
case "$screen" in clock | system | static | calm | uservalues) ;; *) echo "SCREEN is clock, system, static, calm or uservalues" >&2; exit 2 ;; esac
daemon="$build/orvanta3/orvanta3d"
[[ -x "$daemon" ]] || { echo "build first: scripts/build" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "needs GNU time (package time)" >&2; exit 2; }
command -v python3 >/dev/null || { echo "needs python3 (the notification socket)" >&2; exit 2; }
(( seconds >= 10 )) || { echo "SECONDS is at least 10" >&2; exit 2; }

source "$root/bench/support/screens.sh"
source "$root/bench/support/wakeups.sh"

work=$(mktemp -d)
state=$(panel_state_file "$work")
listener=
listener_serial=
bus=
feeders=()
trap 'rm -rf "$work" "$state"; [[ -z "$listener" ]] || kill "$listener" 2>/dev/null
      [[ -z "$bus" ]] || kill "$bus" 2>/dev/null
      [[ -z "$listener_serial" ]] || kill "$listener_serial" 2>/dev/null
      (( ${#feeders[@]} == 0 )) || kill "${feeders[@]}" 2>/dev/null' EXIT
if [[ "${ORVANTA3_BENCH_SESSION_BUS:-}" == private ]]; then
    command -v dbus-daemon >/dev/null || { echo "needs dbus-daemon (package dbus)" >&2; exit 2; }
    { read -r address; read -r bus; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    export DBUS_SESSION_BUS_ADDRESS="$address"
fi
bench_driver=${ORVANTA3_BENCH_DRIVER:-textport}
if [[ -n "${ORVANTA3_BENCH_LCDD_PORT:-}" ]]; then
    driver=$'[lcdd.so]\nActive=1\nServer=127.0.0.1\nPort='"$ORVANTA3_BENCH_LCDD_PORT"
elif [[ "$bench_driver" == i2c ]]; then
    driver=$'[i2cpanel.so]\nActive=1\nLines count=4\nCols count=20'
    export ORVANTA3_I2C="emu:hd44780:4x20:$state" ORVANTA3_I2C_TRAFFIC="$work/traffic"
elif [[ "$bench_driver" == serial ]]; then
    # A display that takes every byte: a pseudo-terminal whose other side counts them.
    python3 -c '
import os, pty, sys, tty
master, slave = pty.openpty()
tty.setraw(slave)
os.symlink(os.ttyname(slave), sys.argv[1])
total = 0
while True:
    try:
        data = os.read(master, 65536)
    except OSError:
        break
    if not data:
        break
    total += len(data)
    open(sys.argv[2], "w").write("%d bytes\n" % total)
' "$work/tty" "$work/traffic" &
    listener_serial=$!
    while [[ ! -e "$work/tty" ]]; do sleep 0.1; done
    driver=$'[serialpanel.so]\nActive=1\nLines count=4\nCols count=20\nBaud=115200\nDevice='"$work/tty"
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
if [[ "$screen" == uservalues ]]; then
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
elif [[ "$screen" != system ]]; then
    write_bench_job "$screen" "$work/bench.orv3"
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
thread_switches "$daemon_pid" >"$work/switches.before"
counted=$((seconds - 6))
sleep "$counted"
thread_switches "$daemon_pid" >"$work/switches.after"
wait "$timer"

read -r user system peakKb <"$work/usage"
awk -v u="$user" -v s="$system" -v n="$seconds" -v m="$peakKb" 'BEGIN {
    printf "CPU: %.3f s per minute (user %.2f s + system %.2f s in %d s)\n", (u + s) * 60 / n, u, s, n
    printf "Peak resident memory: %.1f MB\n", m / 1024
}'
report_wakeups "$work/switches.before" "$work/switches.after" "$counted"
echo "Watchdog pings: $(cat "$work/pings")"
if [[ -s "$work/traffic" ]]; then
    # Base timeout 250 ms: four display ticks a second.
    awk -v n="$seconds" '{ b = $1 } END {
        printf "Traffic: %d bytes, %.1f bytes per display tick\n", b, b / (n * 4) }' "$work/traffic"
fi
if [[ -n "${DBUS_SESSION_BUS_ADDRESS:-}" || -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ||
      -S "/run/user/$(id -u)/bus" ]]; then
    echo "Session bus: yes (the D-Bus interface was on)"
else
    echo "Session bus: none (the D-Bus interface was off)"
fi
