#!/usr/bin/env bash
# Start-up times of the built game, headless: from the start of the process to the first
# composed frame of the intro and to the first frame of the title window (the game ends right
# after it with --quit-when, so each time includes the shutdown), on a first start (an empty
# user folder: the working archives and the composed crystal pictures are made) and on a
# second start (all of it cached). Each case runs RUNS times (default 5) after one warm-up
# run and prints the minimum, median and maximum of its wall-clock and processor seconds.
# Builds build-bench (Release) unless BUILD_DIR names another build.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build-bench}"
runs="${RUNS:-5}"
if [ ! -x "$build/bin/quarzel" ] || [ ! -f "$build/bin/game/game.zxc" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARZEL_BENCH=ON > /dev/null
    cmake --build "$build" -j "$(nproc)" --target quarzel quarzel_content
fi
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# The program folder is a copy of the build's data; the game writes its files there too.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for folder in game levels lng; do cp -r "$build/bin/$folder" "$work/"; done

# run_once first|second intro|title: "WALL CPU" milliseconds of one run (CPU: user and
# system time of the process). A first start begins without any of the files the game writes.
run_once() {
    if [ "$1" = first ]; then
        rm -rf "$work/temp" "$work/saves" "$work/options.cfg" "$work/Quarzel.log" \
            "$work"/HighScores*.dat
    fi
    local TIMEFORMAT='%R %U %S'
    if ! { time "$build/bin/quarzel" --headless --data-dir "$work" --quit-when "$2" --seed 1 \
        > /dev/null 2> "$work/err.txt"; } 2> "$work/time.txt"; then
        echo "the game failed: $(cat "$work/err.txt")" >&2
        exit 1
    fi
    awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$work/time.txt"
}

# stats COLUMN < lines: "min median max" of one column of numbers.
stats() {
    awk -v c="$1" '{ print $c }' | sort -n | awk '{ t[NR] = $1 } END {
        m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
        printf "%.3f %.3f %.3f\n", t[1] / 1000, m / 1000, t[NR] / 1000 }'
}

echo "Headless start-up of $build/bin/quarzel, seconds over $runs runs after a warm-up run;"
echo "wall-clock time, and the processor time of the process (user + system), which other"
echo "work on a shared machine disturbs far less"
printf '%-38s %23s   %23s   %s\n' "" "wall: min median max" "cpu: min median max" \
    "target (median)"
declare -A wall cpu
for start in second first; do
    for moment in intro title; do
        run_once "$start" "$moment" > /dev/null
        for ((i = 0; i < runs; i++)); do run_once "$start" "$moment"; done > "$work/runs.txt"
        read -r wmin wmed wmax < <(stats 1 < "$work/runs.txt")
        read -r cmin cmed cmax < <(stats 2 < "$work/runs.txt")
        wall[$start-$moment]=$wmed
        cpu[$start-$moment]=$cmed
        target=""
        [ "$start-$moment" = second-intro ] && target="< 0.400"
        [ "$start-$moment" = second-title ] && target="< 0.600"
        printf '%-38s %7s %7s %7s   %7s %7s %7s   %s\n' \
            "$start start to the first $moment frame" "$wmin" "$wmed" "$wmax" \
            "$cmin" "$cmed" "$cmax" "$target"
    done
done
printf '%-38s %15s %7s   %15s %7s   %s\n' "a first start's extra work (title)" "" \
    "$(awk -v a="${wall[first-title]}" -v b="${wall[second-title]}" 'BEGIN { printf "%.3f", a - b }')" \
    "" "$(awk -v a="${cpu[first-title]}" -v b="${cpu[second-title]}" 'BEGIN { printf "%.3f", a - b }')" \
    "< 1.500"
