#!/usr/bin/env bash
# Runs inside "cmake/wine-run --shell" (a fresh prefix and display): every
# benchmark of "./dev bench", printing "name value" lines.
#   bench-session.sh <build/win32 directory> <rounds>
set -euo pipefail
win32=$1
rounds=$2
drive=$WINEPREFIX/drive_c
mkdir -p "$drive/bench/slow"
cp "$win32/qvuninst.exe" "$drive/bench/"
cp "$win32/noop_uninst.exe" "$drive/bench/uninst.exe"
cp "$win32/bench_tools.exe" "$drive/bench/launcher.exe"
cp "$win32/qvuninst.exe" "$win32/uninst.exe" "$drive/bench/slow/"
tools="$win32/bench_tools.exe"

quiet() { "$@" 2>/dev/null | tr -d '\r'; }

wineserver -p >/dev/null 2>&1 # keep one server for the whole session
[ "${QV_BENCH_ONLY:-}" = cpu ] || quiet wine "$tools" silent "$rounds" 50
[ "${QV_BENCH_ONLY:-}" = cpu ] || quiet wine "$tools" batch "$rounds" 10 20
[ "${QV_BENCH_ONLY:-}" = cpu ] || quiet wine "$tools" dialog "$rounds" 1000
[ "${QV_BENCH_ONLY:-}" = cpu ] || quiet wine "$tools" dialog "$rounds" 2000

# CPU time of qvuninst.exe while one uninstaller runs for 3 s: the kernel's
# scheduler statistics of each of its threads, sampled when the stub notes
# its start and its end. A thread that ends between the two samples (one of
# Wine's start-up threads) is left out; one that starts is counted whole.
thread_times() {
    local task
    for task in /proc/"$1"/task/*; do
        echo "${task##*/} $(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)"
    done
}

wait_for_line() {
    local i
    for i in $(seq 1 4000); do
        grep -q "^$1" "$record" 2>/dev/null && return 0
        sleep 0.005
    done
    echo "no '$1' line in $record" >&2
    return 1
}

measure_wait_cpu() {
    local mode=$1 pid= i
    for i in $(seq 1 400); do
        pid=$(pgrep -n -f '^[^ ]*qvuninst\.exe' || true)
        [ -n "$pid" ] && break
        sleep 0.01
    done
    wait_for_line start
    thread_times "$pid" >"$drive/bench/cpu.start"
    wait_for_line end
    thread_times "$pid" >"$drive/bench/cpu.end"
    awk -v mode="$mode" '
        FNR == NR { start[$1] = $2; next }
        { d = $2 - start[$1]; if (d > 0) total += d }
        END { printf "wait_cpu_%s_ms %.2f\n", mode, total / 1e6 }' \
        "$drive/bench/cpu.start" "$drive/bench/cpu.end"
}

export QVTEST_SLEEP_MS=3000
record=$drive/bench/slow/record.txt
export QVTEST_RECORD='C:\bench\slow\record.txt'
for round in $(seq 1 "$rounds"); do
    rm -f "$record"
    (cd "$drive/bench/slow" && wine qvuninst.exe -c Component0000 2>/dev/null) &
    measure_wait_cpu silent
    wait
    rm -f "$record"
    quiet wine "$tools" remove-one &
    measure_wait_cpu interactive
    wait
done
wineserver -k >/dev/null 2>&1 || true
