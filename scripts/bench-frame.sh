#!/usr/bin/env bash
# Frames per second of an idle title screen, headless and in a real window under Xvfb.
# Builds the benchmarks in build-bench (Release) unless BUILD_DIR names another build.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build-bench}"
if [ ! -x "$build/bench/bench_frame" ] || [ ! -f "$build/bin/game/game.zxc" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARZEL_BENCH=ON > /dev/null
    cmake --build "$build" -j "$(nproc)" --target bench_frame quarzel_content
fi
export SDL_AUDIODRIVER=dummy
SDL_VIDEODRIVER=dummy "$build/bench/bench_frame" --benchmark_filter='Title/'
SDL_VIDEODRIVER=x11 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/bench/bench_frame" --benchmark_filter='TitleWindow'
