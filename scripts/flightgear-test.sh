#!/usr/bin/env bash
# CI stage: a flight recorded from the real FlightGear (Debian's flightgear,
# about 2.6 GB with its data, installed here rather than by setup.sh so that
# only this stage pays for it). Runs under its own virtual X server; a few
# minutes on an idle machine. BUILD_DIR may be set as for scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

packages=(flightgear xvfb xauth)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "flightgear-test: missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
    exit 1
  fi
  echo "flightgear-test: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "$(nproc)" --target flightgear_tests
# Software rendering (Mesa's llvmpipe) on a 24-bit virtual screen.
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$build/tests/flightgear/flightgear_tests"
