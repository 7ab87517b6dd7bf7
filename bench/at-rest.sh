#!/usr/bin/env bash
# Wake-ups and processor time at rest, side by side for one or more builds: orvanta3d on the
# static screen, on the calm screen and on the busy clock screen of bench/daemon-screen.sh, and
# the desktop program with that busy screen, hidden and with the virtual display shown
# (bench/desktop/wakeups.sh). One table at the end: wake-ups per second and CPU seconds per
# minute while counted (after the start-up), CPU seconds per minute of the whole run, and the
# peak resident memory.
#   bench/at-rest.sh [SECONDS] [BUILD_DIR...]     (default: 60 s and ./build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
builds=("$@")
(( ${#builds[@]} )) || builds=("$root/build")

rows=()
run() { # NAME BUILD COMMAND...
    local name=$1 build=$2 out
    shift 2
    out=$(ORVANTA3_BUILD_DIR="$build" "$@" 2>&1) || { echo "$name ($build) failed:" >&2; echo "$out" >&2; return; }
    echo "== $name, $build"
    echo "$out"
    rows+=("$(awk -v name="$name" -v build="$(basename "$(dirname "$build")")/$(basename "$build")" '
        /^CPU: / { whole = $2 }
        /^Peak resident memory/ { rss = $4 }
        /^Wake-ups:/ { wakes = $2; for (i = 1; i < NF; ++i) if ($i == "meanwhile:") counted = $(i + 1) }
        END { printf "%-16s %-28s %8s %10s %9s %6s MB", name, build, wakes, counted, whole, rss }' <<<"$out")")
}

for build in "${builds[@]}"; do
    run "daemon static" "$build" "$root/bench/daemon-screen.sh" "$seconds" static
    run "daemon calm" "$build" "$root/bench/daemon-screen.sh" "$seconds" calm
    run "daemon busy" "$build" "$root/bench/daemon-screen.sh" "$seconds" clock
    run "desktop hidden" "$build" "$root/bench/desktop/wakeups.sh" "$seconds" hidden clock
    run "desktop shown" "$build" "$root/bench/desktop/wakeups.sh" "$seconds" shown clock
done
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-16s %-28s %8s %10s %9s %9s\n" case build "wakes/s" "CPU s/min" "(whole)" "peak RSS"
printf "%s\n" "${rows[@]}"
