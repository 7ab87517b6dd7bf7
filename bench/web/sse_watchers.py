"""N event-stream watchers of the web interface for bench/web/web-watchers.sh.

python3 sse_watchers.py PORT N SECONDS STATEFILE: prints the frames a second the first watcher
got, the missed frames (gaps in the frame numbers) of all watchers, and the first watcher's
latency from the panel's state file showing a row to the event that carries it. STATEFILE "-"
measures no latency: the state file is not polled, so that only the watchers load the machine."""
import http.client, json, os, statistics, sys, threading, time

port, count, seconds, state = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
host = f"127.0.0.1:{port}"


def session():
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    c.request("GET", "/api/session", headers={"Host": host})
    r = c.getresponse()
    cookie = r.getheader("Set-Cookie").split(";")[0]
    r.read()
    return cookie


results = [None] * count
shown = {}  # first row text -> when the state file first showed it
stop = time.monotonic() + seconds


def watch(i):
    cookie = session()
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    c.request("GET", "/api/events", headers={"Host": host, "Cookie": cookie})
    r = c.getresponse()
    frames, arrivals, last, missed = 0, [], None, 0
    while time.monotonic() < stop:
        line = r.fp.readline()
        if not line:
            break
        if line.startswith(b"data: "):
            now = time.monotonic()
            frame = json.loads(line[6:])
            if last is not None and frame["frame"] > last + 1:
                missed += frame["frame"] - last - 1
            last = frame["frame"]
            frames += 1
            arrivals.append((frame["text"][0], now))
    results[i] = (frames, missed, arrivals)


def poll_state():
    while time.monotonic() < stop:
        try:
            with open(state) as f:
                rows = [l[1:-2] for l in f if l.startswith("|")]
        except OSError:
            rows = []
        if rows and rows[0] not in shown:
            shown[rows[0]] = time.monotonic()
        time.sleep(0.0005)


threads = [threading.Thread(target=watch, args=(i,)) for i in range(count)]
others = threads + ([threading.Thread(target=poll_state)] if state != "-" else [])
for t in others:
    t.start()
for t in others:
    t.join()
frames, _, arrivals = results[0]
latencies = sorted((at - shown[text]) * 1000 for text, at in arrivals if text in shown and at >= shown[text])
firsts = {}
for text, at in arrivals:
    firsts.setdefault(text, at)
changes = sorted((at - shown[text]) * 1000 for text, at in firsts.items() if text in shown and at >= shown[text])
print(f"frames/s {frames / seconds:.2f}")
print(f"missed {sum(r[1] for r in results if r)} of {sum(r[0] for r in results if r)}")
if changes:
    print(f"latency median {statistics.median(changes):.1f} ms, 90% {changes[int(len(changes) * 0.9)]:.1f} ms ({len(changes)} changes)")
