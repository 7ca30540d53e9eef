#!/usr/bin/env bash
# Makes the reference pictures of the end-to-end scenarios again from a build, after the
# game's look changed on purpose: every scenario runs, and its screenshots (at half size)
# replace the pictures in tests/e2e/references/. Look at the changed pictures before
# committing them. BUILD_DIR names the build (default build-test, as scripts/test.sh makes).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${BUILD_DIR:-build-test}"
cmake --build "$build" -j "$(nproc)" --target e2e_tests
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy QUARZEL_UPDATE_REFERENCES=1
(cd "$build/tests/e2e" && ../e2e_tests "$@")
git status --short tests/e2e/references
