#!/usr/bin/env bash
# Builds everything and starts the desktop application. Extra arguments go to
# the program (e.g. --settings INIFILE). BUILD_DIR may name another build folder.
set -euo pipefail
caller="$PWD"
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_GUI=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
program="$(cd "$build" && pwd)/apps/kestrova/kestrova"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Built $program, but there is no display here (DISPLAY and WAYLAND_DISPLAY are empty)."
  echo "To run it on a virtual X server, from the directory that holds your flight files:"
  echo "  xvfb-run -a $program"
  exit 0
fi

# The program works on the files of the current directory, so it starts where
# this script was called, not in the source tree.
cd "$caller"
exec "$program" "$@"
