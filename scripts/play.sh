#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARZEL_TESTS=OFF > /dev/null
cmake --build build -j "$(nproc)"

if [ -x build/bin/quarzel ]; then
    exec build/bin/quarzel "$@"
fi
exec build/bin/quarzel-data --help
