# The 4 x 20 screens the bench scripts run, and where their emulated panel keeps its state
# (source it).
#   panel_state_file WORK         a new state file, in memory (tmpfs) when there is one, as a
#                                 panel's contents would be: on a disk file system its rewrites
#                                 would cost more than the program; else in WORK
#   write_bench_job SCREEN FILE   SCREEN: "clock" (the time, a bar of the seconds, plain text
#                                 and a line that scrolls every tick), "static" (the time asked
#                                 every tick and three lines of plain text) or "calm" (the same
#                                 with the time asked every fourth tick)
write_bench_job() {
    local long="Headlines: an eighty-three character line that scrolls one character per tick ok"
    local refresh=4
    case "$1" in
    clock)
        cat >"$2" <<JOB
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
        ;;
    static | calm)
        [[ "$1" == calm ]] && refresh=2
        cat >"$2" <<JOB
[Bench]
Timeout=0
Line1=\$time[5,,,$refresh]\$
Align1=1
Line2=RAM 3172/15923 MB
Line3=Plain text, still
Line4=as it is
Show=1
JOB
        ;;
    *) return 1 ;;
    esac
}

panel_state_file() {
    local shm=${XDG_RUNTIME_DIR:-/dev/shm}
    [[ -d "$shm" && -w "$shm" ]] || shm="$1"
    mktemp "$shm/orvanta3-bench-XXXXXX.state"
}
