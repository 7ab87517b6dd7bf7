# What the web benches share (source it with root and build set): orvanta3d of the build, a work
# folder with the clock screen of bench/daemon-screen.sh ("Base timeout" 250) on an emulated
# 4 x 20 panel, a free port on loopback; the daemon started into pid is stopped on exit.
daemon="$build/orvanta3/orvanta3d"
[[ -x "$daemon" ]] || { echo "build first: scripts/build" >&2; exit 2; }
work=$(mktemp -d)
pid=
state=
trap '[[ -z "$pid" ]] || kill "$pid" 2>/dev/null; rm -rf "$work" "$state"' EXIT
printf '[Common]\nBase timeout=250\n[textport.so]\nActive=1\nLines count=4\nCols count=20\nTiming=0\n[chronos.so]\nActive=1\n' >"$work/Orvanta3.ini"
source "$root/bench/support/screens.sh"
write_bench_job clock "$work/clock.job"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
state=$(panel_state_file "$work")
export ORVANTA3_PORTIO="emu:hd44780:4x20:$state" XDG_DOCUMENTS_DIR="$work" XDG_STATE_HOME="$work/state"
