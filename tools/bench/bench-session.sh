#!/usr/bin/env bash
# Runs inside "cmake/wine-run --shell" (a fresh prefix, display and Wine
# server, all ended by wine-run afterwards): every benchmark of "./dev bench",
# printing "name value" lines, and for each step that failed a line
# "failed <step>: <why>". Each step's own messages go to
# <log directory>/<step>.log.
#   bench-session.sh <build tree of the programs> <rounds> <log directory>
set -euo pipefail
trap 'echo "bench-session.sh, line $LINENO: a command failed with status $?" >&2' ERR
win32=$1
rounds=$2
logs=$3
drive=$WINEPREFIX/drive_c
mkdir -p "$drive/bench/slow" "$logs"
cp "$win32/qvuninst.exe" "$drive/bench/"
cp "$win32/noop_uninst.exe" "$drive/bench/uninst.exe"
cp "$win32/bench_tools.exe" "$drive/bench/launcher.exe"
cp "$win32/qvuninst.exe" "$win32/uninst.exe" "$drive/bench/slow/"
tools="$win32/bench_tools.exe"
figure='^[a-z0-9_]+ -?[0-9.]+$'

# Runs one step: its figures go to the output if it ends well, anything else
# it prints to its log. Its output goes through a file, not a pipe, which a
# program it started and left running would hold open.
step() {
    local name=$1 status=0
    shift
    "$@" >"$logs/$name.out" 2>"$logs/$name.log" || status=$?
    tr -d '\r' <"$logs/$name.out" | grep -Ev "$figure" >>"$logs/$name.log" || true
    [ "$status" = 0 ] || { echo "failed $name: exit status $status$([ "$status" != 124 ] || echo ', timed out')" && return; }
    tr -d '\r' <"$logs/$name.out" | grep -E "$figure" || echo "failed $name: printed no figure"
}

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
    for _ in $(seq 1 4000); do
        grep -q "^$1" "$record" 2>/dev/null && return 0
        sleep 0.005
    done
    echo "round $round: no '$1' line in $record after 20 s" >&2
    return 1
}

# The qvuninst.exe started for one measurement, found among all processes of
# the machine by the tag in its environment: Wine hands a program's
# environment down to the programs it starts, so only this run's carry it.
# Emulated, its command line still starts with the emulator and Wine's loader.
program_with_tag() {
    pgrep -f '^([^ ]*qemu-i386 [^ ]* )?[^ ]*qvuninst\.exe' | sed 's|.*|/proc/&/environ|' |
        xargs -r grep -lzxF "QV_BENCH_TAG=$1" 2>/dev/null | cut -d/ -f3 | head -n 1 || true
}

# Whether a process runs (a zombie that nobody reaps has ended).
running() { case $(ps -o stat= -p "$1") in '' | Z*) return 1 ;; esac; }

# The rounds of one mode: each starts qvuninst.exe, silently or through
# bench_tools, tagged, and measures it while the stub uninstaller runs.
measure_wait_cpu() {
    local mode=$1 round tag pid launcher
    [ -r /proc/self/schedstat ] || { echo "this kernel keeps no /proc/<pid>/schedstat to measure with" >&2 && return 1; }
    for round in $(seq 1 "$rounds"); do
        tag=bench-$$-$mode-$round pid=''
        rm -f "$record" "$drive/bench/cpu.end"
        if [ "$mode" = silent ]; then
            (cd "$drive/bench/slow" && QV_BENCH_TAG=$tag timeout 60 wine qvuninst.exe -c Component0000) &
        else
            QV_BENCH_TAG=$tag timeout 60 wine "$tools" remove-one &
        fi
        launcher=$!
        for _ in $(seq 1 400); do
            pid=$(program_with_tag "$tag")
            [ -z "$pid" ] || break
            sleep 0.01
        done
        [ -n "$pid" ] || echo "round $round: no qvuninst.exe with QV_BENCH_TAG=$tag within 4 s" >&2
        [ -n "$pid" ] && wait_for_line start && thread_times "$pid" >"$drive/bench/cpu.start" &&
            wait_for_line end && thread_times "$pid" >"$drive/bench/cpu.end"
        wait "$launcher" || echo "round $round: the $mode run ended with status $?" >&2
        for _ in $(seq 1 300); do
            running "${pid:-0}" || break
            sleep 0.01
        done
        if running "${pid:-0}"; then
            echo "round $round: qvuninst.exe (pid $pid) still ran 3 s after its $mode run; ended it" >&2
            kill "$pid" && return 1
        fi
        [ -f "$drive/bench/cpu.end" ] || return 1
        awk -v mode="$mode" '
            FNR == NR { start[$1] = $2; next }
            { d = $2 - start[$1]; if (d > 0) total += d }
            END { printf "wait_cpu_%s_ms %.2f\n", mode, total / 1e6 }' \
            "$drive/bench/cpu.start" "$drive/bench/cpu.end"
    done
}

if [ "${QV_BENCH_ONLY:-}" != cpu ]; then
    step silent timeout 900 wine "$tools" silent "$rounds" 50
    step batch timeout 900 wine "$tools" batch "$rounds" 10 20
    step dialog_1000 timeout 900 wine "$tools" dialog "$rounds" 1000
    step dialog_2000 timeout 900 wine "$tools" dialog "$rounds" 2000
fi
export QVTEST_SLEEP_MS=3000
record=$drive/bench/slow/record.txt
export QVTEST_RECORD='C:\bench\slow\record.txt'
step wait_cpu_silent measure_wait_cpu silent
step wait_cpu_interactive measure_wait_cpu interactive
