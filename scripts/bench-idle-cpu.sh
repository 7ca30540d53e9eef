#!/usr/bin/env bash
# Processor share of the idle title screen in a real window without vertical sync: the game
# runs under Xvfb with openbox, reaches the title, and for SECONDS (default 20) the script
# reads the processor time of the game's process (all its threads: the frame loop and the
# audio mixer) and the frames it presented (--print-frames). Once with the frame cap of
# options.cfg left to its default (the monitor's rate), once with FrameCap=0 (no cap).
# Builds build-bench (Release) unless BUILD_DIR names another build.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build-bench}"
seconds="${SECONDS_MEASURED:-20}"
settle="${SETTLE:-8}"
if [ ! -x "$build/bin/quarzel" ] || [ ! -f "$build/bin/game/game.zxc" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARZEL_BENCH=ON > /dev/null
    cmake --build "$build" -j "$(nproc)" --target quarzel quarzel_content
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for folder in game levels lng; do cp -r "$build/bin/$folder" "$work/"; done

# A virtual screen with a window manager, so that the window is shown and has the focus.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2> /dev/null &
server=$!
pids+=("$server")
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox > /dev/null 2>&1 &
pids+=($!)
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy SDL_RENDER_VSYNC=0

# The working archives and crystal pictures first, so that both runs are second starts.
SDL_VIDEODRIVER=dummy "$build/bin/quarzel" --headless --data-dir "$work" --quit-when title

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
last_frames() { grep -v '^#' "$1" | tail -n 1; }

# measure LABEL OPTIONS_LINES: one run; prints the label, the cap, the processor share of
# the game and of the X server, and the frames per second.
measure() {
    printf '[Options]\r\n%s' "$2" > "$work/options.cfg"
    "$build/bin/quarzel" --data-dir "$work" --print-frames > "$work/frames.txt" &
    local game=$!
    pids+=("$game")
    sleep "$settle"
    local c0 x0 f0 t0 c1 x1 f1 t1
    c0=$(cpu_ticks "$game")
    x0=$(cpu_ticks "$server")
    read -r t0 f0 < <(last_frames "$work/frames.txt")
    sleep "$seconds"
    c1=$(cpu_ticks "$game")
    x1=$(cpu_ticks "$server")
    read -r t1 f1 < <(last_frames "$work/frames.txt")
    kill -TERM "$game"
    wait "$game" || true
    # The median of the seconds shows the rate of the seconds in which nothing else held the
    # game up; the mean counts every stall of a busy machine.
    local median
    median=$(grep -v '^#' "$work/frames.txt" | awk -v t0="$t0" -v t1="$t1" '
        $1 >= t0 && $1 <= t1 { if (n++) print ($2 - f) * 1000 / ($1 - t); f = $2; t = $1 }' |
        sort -n | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : 0 }')
    awk -v label="$1" -v cap="$(head -n 1 "$work/frames.txt")" -v c=$((c1 - c0)) \
        -v x=$((x1 - x0)) -v f=$((f1 - f0)) -v ms=$((t1 - t0)) -v hz="$ticks" -v s="$seconds" \
        -v median="$median" 'BEGIN {
            printf "%-9s %-28s game %5.1f %% of a core, X server %4.1f %%, frames/s %6.1f" \
                " (median of the seconds %6.1f)\n", label, substr(cap, 3), 100 * c / hz / s,
                100 * x / hz / s, 1000 * f / ms, median }'
}

echo "Idle title in a window under Xvfb without vertical sync, $seconds s after $settle s"
measure capped ""
measure uncapped $'FrameCap=0\r\n'
