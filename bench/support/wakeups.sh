# Wake-ups and processor time of a process, thread by thread, for the bench scripts (source
# it).
#   thread_switches PID > FILE     "TID NAME WAKEUPS PREEMPTIONS CPU_NS" per thread: voluntary
#                                  context switches (each one a sleep the thread was woken
#                                  from), involuntary ones (the thread was running and another
#                                  took its processor: no wake-up, but a cost of a busy
#                                  machine), and nanoseconds on a processor
#   report_wakeups BEFORE AFTER SECONDS
#                                  wake-ups and preemptions per second and processor seconds per
#                                  minute between the two samples, in all and per thread

thread_switches() {
    local task
    for task in /proc/"$1"/task/*; do
        awk -v tid="${task##*/}" -v name="$(tr " " "-" <"$task/comm" 2>/dev/null)" \
            -v ns="$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)" \
            '/^voluntary_ctxt_switches/ { v = $2 } /^nonvoluntary_ctxt_switches/ { p = $2 }
             END { print tid, name, v + 0, p + 0, ns }' "$task/status" 2>/dev/null
    done
}

# Threads that began after BEFORE count from 0; threads that ended before AFTER are left out.
report_wakeups() {
    awk -v t="$3" '
        NR == FNR { before[$1] = $3; preempted[$1] = $4; cpu[$1] = $5; next }
        {
            n = $3 - before[$1]; p = $4 - preempted[$1]; c = ($5 - cpu[$1]) / 1e9
            total += n; totalPreempted += p; totalCpu += c
            line[++k] = sprintf("  %-16s %6.2f /s  %.4f CPU s/min  (preempted %.2f /s)",
                                $2, n / t, c * 60 / t, p / t)
        }
        END {
            printf "Wake-ups: %.2f per second over %d s; CPU meanwhile: %.4f s per minute; preempted %.2f per second\n",
                   total / t, t, totalCpu * 60 / t, totalPreempted / t
            for (i = 1; i <= k; ++i) print line[i]
        }' "$1" "$2"
}
