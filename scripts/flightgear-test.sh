#!/usr/bin/env bash
# CI stage: a flight recorded from the real FlightGear (Debian's flightgear,
# about 2.6 GB with its data, installed for this stage alone (setup.sh --also) so that
# only it pays for it). Runs under its own virtual X server; a few
# minutes on an idle machine. BUILD_DIR may be set as for scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --also flightgear xvfb xauth

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "$(nproc)" --target flightgear_tests
# Software rendering (Mesa's llvmpipe) on a 24-bit virtual screen.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$build/tests/flightgear/flightgear_tests"
