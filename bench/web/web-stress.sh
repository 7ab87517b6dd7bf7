#!/usr/bin/env bash
# The web interface under load: runs orvanta3d on an emulated 4 x 20 panel with the clock screen
# of bench/daemon-screen.sh, opens 200 idle connections, then sends requests (session, panel,
# settings) from 8 clients for SECONDS, and prints the requests answered and failed, the
# panel's frames a second during the burst, and the daemon's VmRSS and VmHWM afterwards.
#   bench/web/web-stress.sh [SECONDS]     (build first: orvanta3d, orvanta3web, textport,
#                                          chronos, dlportio)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${ORVANTA3_BUILD_DIR:-$root/build}
seconds=${1:-10}
source "$root/bench/support/web-daemon.sh"

"$daemon" --config "$work/Orvanta3.ini" --job "$work/clock.job" --web "127.0.0.1:$port" 2>"$work/err" &
pid=$!
sleep 3 # start-up and the greeting

python3 - "$port" "$seconds" "$state" <<'PY'
import http.client, json, os, socket, sys, threading, time
port, seconds, state = int(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
idle = []
for _ in range(200):
    s = socket.create_connection(("127.0.0.1", port), timeout=5)
    idle.append(s)
answered = failed = 0
lock = threading.Lock()
def client(end):
    global answered, failed
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    c.request("GET", "/api/session"); r = c.getresponse(); body = r.read()
    cookie = r.getheader("Set-Cookie", "").split(";")[0]
    while time.time() < end:
        for path in ("/api/panel", "/api/settings", "/api/session"):
            try:
                c.request("GET", path, headers={"Cookie": cookie}); r = c.getresponse(); r.read()
                ok = r.status == 200
            except Exception:
                ok = False
                c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
            with lock:
                if ok: answered += 1
                else: failed += 1
def changes():
    last = None
    try:
        last = os.stat(state).st_mtime_ns
    except OSError:
        pass
    return last
start = time.time(); end = start + seconds
mtimes = set()
threads = [threading.Thread(target=client, args=(end,)) for _ in range(8)]
for t in threads: t.start()
while time.time() < end:
    mtimes.add(changes()); time.sleep(0.02)
for t in threads: t.join()
for s in idle: s.close()
print("requests answered %d, failed %d (%.0f a second) with 200 idle connections"
      % (answered, failed, answered / seconds))
print("panel state file changes a second during the burst: %.2f" % ((len(mtimes) - 1) / seconds))
PY
grep -E '^(VmRSS|VmHWM)' "/proc/$pid/status" | tr -s ' \t' ' '
