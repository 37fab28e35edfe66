#!/usr/bin/env bash
# Builds everything and runs every test. BUILD_DIR and extra CMake options
# (CMAKE_ARGS) may be set, e.g. for the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)" ${CTEST_ARGS:-}
