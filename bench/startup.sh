#!/usr/bin/env bash
# Start-up to a shown window whose own table is logged in to its host, and
# the peak memory of the process. Each run starts build/spades (a solo game)
# under Xvfb with a fresh, empty program folder and measures from the exec to
# the moment the table is logged in (the program prints that moment when
# SPADES_TRACE_STARTUP is set). Peak memory is VmHWM one second later.
#
#   bench/startup.sh [runs=10] [path/to/spades]
#
# On a shared, busy machine most of the wall time is waiting for a core; the
# trace line also gives the processor time the program used. SPADES_NICE=-20
# (root) runs Xvfb and the program ahead of everything else, which comes
# close to a quiet machine. SPADES_STARTUP_STDERR=1 shows each run's
# standard error.
#
# Runs in a private network namespace when it can (root), so the host's port
# 7772 never clashes with another copy on the machine.
set -euo pipefail

runs=${1:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
spades=${2:-$here/build/spades}

if [[ -z "${SPADES_STARTUP_INNER:-}" ]] && [[ $(id -u) == 0 ]] &&
    command -v ip >/dev/null && unshare -n true 2>/dev/null; then
    exec env SPADES_STARTUP_INNER=1 unshare -n bash -c \
        'ip link set lo up && exec "$0" "$@"' "$0" "$runs" "$spades"
fi

work=$(mktemp -d)
display=
xvfb_pid=
cleanup() {
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 50 99); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
        display=$n
        break
    fi
done
[[ -n "$display" ]] || { echo "no free display" >&2; exit 1; }
nice=(nice -n "${SPADES_NICE:-0}")
"${nice[@]}" Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.05
done

mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }

times=()
cpus=()
peaks=()
for run in $(seq "$runs"); do
    home="$work/home$run"
    mkdir -p "$home" "$work/run$run"
    chmod 700 "$work/run$run"
    out="$work/out$run"
    launched=$(date +%s%N)
    DISPLAY=":$display" SPADES_HOME="$home" XDG_RUNTIME_DIR="$work/run$run" \
        SPADES_TRACE_STARTUP="$launched" QT_QPA_PLATFORM=xcb \
        "${nice[@]}" "$spades" >"$out" 2>"$work/err$run" &
    pid=$!
    line=
    for _ in $(seq 200); do
        line=$(grep -m1 '^spades-startup:' "$out" || true)
        [[ -n "$line" ]] && break
        sleep 0.05
    done
    if [[ -z "$line" ]]; then
        echo "run $run: no start-up line within 10 s" >&2
        cat "$work/err$run" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    sleep 1
    peak_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    [[ -n "${SPADES_STARTUP_STDERR:-}" ]] && cat "$work/err$run" >&2
    ms=$(sed -E 's/.*after ([0-9.]+) ms.*/\1/' <<<"$line")
    times+=("$ms")
    cpus+=("$(sed -E 's/.*cpu ([0-9.]+) ms.*/\1/' <<<"$line")")
    peaks+=("$peak_kb")
    printf 'run %2d: %7.1f ms  peak %6.1f MB  (%s)\n' "$run" "$ms" \
        "$(mb "$peak_kb")" "${line#*, }"
done

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {
    if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2 }'; }
max() { printf '%s\n' "$@" | sort -g | tail -1; }
printf 'median start-up to logged in: %.1f ms (max %.1f ms) over %d runs\n' \
    "$(median "${times[@]}")" "$(max "${times[@]}")" "$runs"
printf 'median processor time until logged in: %.1f ms\n' "$(median "${cpus[@]}")"
printf 'peak memory (VmHWM): median %.1f MB, max %.1f MB\n' \
    "$(mb "$(median "${peaks[@]}")")" "$(mb "$(max "${peaks[@]}")")"
printf 'load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
