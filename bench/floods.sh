#!/usr/bin/env bash
# Peak memory of spades-server under each kind of flood, and the round trip of
# a quiet player's chat lines meanwhile. Each run starts build/spades-server,
# lets bench_flood (bench/flood.cpp) flood it for a while, then reads the
# server's peak resident memory (VmHWM) before stopping it.
#
#   bench/floods.sh [seconds=10] [build=build]
#
# SPADES_FLOODS="deaf silent" runs only the named kinds.
# Runs in a private network namespace when it can (root), so that port 7772
# never clashes with another copy on the machine.
set -euo pipefail

seconds=${1:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$here/build}
server=$build/spades-server
flood=$build/bench/bench_flood
port=7772

if [[ -z "${SPADES_FLOODS_INNER:-}" ]] && [[ $(id -u) == 0 ]] &&
    command -v ip >/dev/null && unshare -n true 2>/dev/null; then
    exec env SPADES_FLOODS_INNER=1 unshare -n bash -c \
        'ip link set lo up && exec "$0" "$@"' "$0" "$seconds" "$build"
fi

mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }

run() {
    local mode=$1 flooders=$2 secs=$3
    [[ -n "${SPADES_FLOODS:-}" && " $SPADES_FLOODS " != *" $mode "* ]] && return
    local log
    log=$(mktemp)
    "$server" --port "$port" >"$log" 2>&1 &
    local pid=$!
    for _ in $(seq 100); do
        grep -q '^listening' "$log" && break
        sleep 0.05
    done
    local report
    report=$("$flood" "$port" "$mode" "$secs" "$flooders")
    local peak
    peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    local cut
    cut=$(grep -cE 'sent more than|does not read|did not log in' "$log" || true)
    rm -f "$log"
    printf '== %s, %s flooder(s): server peak %s MB, %s connections cut off\n%s\n' \
        "$mode" "$flooders" "$(mb "$peak")" "$cut" "$report"
}

run none 0 "$seconds"
run terminators 8 "$seconds"
run small 8 "$seconds"
run large 8 "$seconds"
run steady 1 "$seconds"
run steady 8 "$seconds"
run deaf 7 "$seconds"
# Nine silent connections hold the table until their login deadline.
run silent 9 35
printf 'load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
