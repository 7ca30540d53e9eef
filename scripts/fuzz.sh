#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS (default 30).
# FUZZ_SEED (default 1) fixes the mutation sequence so a finding can be replayed.
# Give target names to run only those: scripts/fuzz.sh fuzz_xml
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-30}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUARZEL_FUZZ=ON -DQUARZEL_TESTS=OFF > build-fuzz.log 2>&1 || { cat build-fuzz.log; exit 1; }
cmake --build build-fuzz -j "$(nproc)" --target fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(find build-fuzz/fuzz -maxdepth 1 -type f -executable -name 'fuzz_*' -printf '%f\n' | sort)
fi

export ASAN_OPTIONS=detect_leaks=1
for target in "${targets[@]}"; do
    corpus="build-fuzz/corpus/$target"
    mkdir -p "$corpus"
    seeds=()
    [ -d "fuzz/seeds/$target" ] && seeds=("fuzz/seeds/$target")
    echo "== $target: ${seconds}s"
    log="build-fuzz/$target.log"
    status=0
    "build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -print_final_stats=1 -seed="${FUZZ_SEED:-1}" "$corpus" "${seeds[@]}" > "$log" 2>&1 || status=$?
    grep -E "^stat::number_of_executed_units|^Done" "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log"
        echo "$target found a problem (exit $status)"
        exit 1
    fi
done
echo "fuzz smoke: ${#targets[@]} targets ran ${seconds}s each without a finding"
