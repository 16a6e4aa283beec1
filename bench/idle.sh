#!/usr/bin/env bash
# What a solo table costs while nothing happens. Starts build/spades (a solo
# game) under Xvfb with a fresh program folder, waits until its table is
# logged in and a few seconds more, then reads the process's CPU time
# (utime+stime from /proc/<pid>/stat; the main thread's nanosecond run time
# from its schedstat) and the main thread's wake-ups before and after a quiet
# spell. Then it starts a game with xdotool and measures again while the
# table waits for the player's bid.
#
#   bench/idle.sh [seconds=30] [path/to/spades]
#
# SPADES_IDLE_SHOT=file.png keeps a screenshot of the waiting table.
#
# Runs in a private network namespace when it can (root), so the host's port
# 7772 never clashes with another copy on the machine.
set -euo pipefail

seconds=${1:-30}
here=$(cd "$(dirname "$0")/.." && pwd)
spades=${2:-$here/build/spades}

if [[ -z "${SPADES_IDLE_INNER:-}" ]] && [[ $(id -u) == 0 ]] &&
    command -v ip >/dev/null && unshare -n true 2>/dev/null; then
    exec env SPADES_IDLE_INNER=1 unshare -n bash -c \
        'ip link set lo up && exec "$0" "$@"' "$0" "$seconds" "$spades"
fi

work=$(mktemp -d)
xvfb_pid=
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

display=
for n in $(seq 50 99); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
        display=$n
        break
    fi
done
[[ -n "$display" ]] || { echo "no free display" >&2; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -e /tmp/.X11-unix/X$display ]] && break
    sleep 0.05
done

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
DISPLAY=":$display" SPADES_HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
    SPADES_TRACE_STARTUP=1 QT_QPA_PLATFORM=xcb "$spades" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 200); do
    grep -q '^spades-startup:' "$work/out" && break
    sleep 0.05
done
if ! grep -q '^spades-startup:' "$work/out"; then
    echo "never logged in" >&2
    cat "$work/err" >&2
    exit 1
fi
sleep 5 # whatever start-up set going has settled

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
runtime_ns() { awk '{ print $1 }' "/proc/$pid/task/$pid/schedstat"; }
# The main thread runs the event loop and every timer: its wake-ups show a
# timer that spins even when each tick costs too little to show as CPU time.
wakeups() {
    awk '/^voluntary_ctxt_switches:|^nonvoluntary_ctxt_switches:/ { s += $2 } END { print s }' \
        "/proc/$pid/task/$pid/status"
}

measure() {
    local t0 r0 w0 s0 t1 r1 w1 s1
    t0=$(ticks); r0=$(runtime_ns); w0=$(wakeups); s0=$(date +%s%N)
    sleep "$seconds"
    t1=$(ticks); r1=$(runtime_ns); w1=$(wakeups); s1=$(date +%s%N)
    kill -0 "$pid" || { echo "the program ended during the measurement" >&2; exit 1; }
    awk -v what="$1" -v t="$((t1 - t0))" -v hz="$(getconf CLK_TCK)" -v r="$((r1 - r0))" \
        -v w="$((w1 - w0))" -v wall="$((s1 - s0))" -v threads="$(ls "/proc/$pid/task" | wc -l)" '
    BEGIN {
        wall_s = wall / 1e9
        printf "%s: idle for %.1f s (%d threads)\n", what, wall_s, threads
        printf "  CPU (utime+stime, all threads): %d ticks = %.3f %% of one core\n", t,
            100 * t / hz / wall_s
        printf "  main thread run time: %.2f ms = %.4f %% of one core\n", r / 1e6,
            100 * r / 1e9 / wall_s
        printf "  main thread wake-ups: %d (%.2f per second)\n", w, w / wall_s
    }'
}

# Clicks a point of one of the program's windows, found by its title.
click() {
    local window
    window=$(DISPLAY=":$display" xdotool search --all --onlyvisible --pid "$pid" --name "$1" |
        head -1)
    [[ -n "$window" ]] || { echo "no window \"$1\" to click" >&2; exit 1; }
    eval "$(DISPLAY=":$display" xdotool getwindowgeometry --shell "$window")"
    DISPLAY=":$display" xdotool mousemove $((X + $2)) $((Y + $3)) click 1
}

measure "solo table open, before a game"

# Play Solo Game, Start Game, and the game options' Start Game; then the
# computers bid and the table waits for the player's bid.
click "Download The Velnor Lobby" 601 225
sleep 0.5
click "^Spades" 545 146 # the main window, the only one shown now
sleep 1
click "Game Start" 110 213
sleep 10
measure "in a game, waiting for the player's bid"
if [[ -n "${SPADES_IDLE_SHOT:-}" ]]; then
    DISPLAY=":$display" import -window root "$SPADES_IDLE_SHOT"
fi
printf 'load average at the end: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
