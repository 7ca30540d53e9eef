#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# runs every fuzz target briefly as a smoke test, then runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

jobs=$(nproc)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUARZEL_SANITIZE=ON -DQUARZEL_WERROR=ON -DQUARZEL_BENCH=ON
cmake --build build-test -j "$jobs"

# Leak checking is on by default; a test may turn it off for itself (the Xvfb test does, for Xlib).
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
FUZZ_SECONDS="${FUZZ_SECONDS:-30}" scripts/fuzz.sh

ctest --test-dir build-test -j "$jobs" --output-on-failure --timeout 600
