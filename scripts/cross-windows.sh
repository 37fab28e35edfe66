#!/usr/bin/env bash
# Cross-compiles the Windows build of kestrova-cli, the simulator stand-in and
# the tests that run under Wine with MinGW-w64 into build-windows/ (BUILD_DIR
# overrides it).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-windows}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DKESTROVA_GUI=OFF -DKESTROVA_TESTS=ON -DKESTROVA_BENCH=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target kestrova-cli kestrova-sim simlink_tests windows_tests
