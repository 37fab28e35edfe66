#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need; quiet and quick
# when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-charts-dev libqt6sql6-sqlite libgl-dev
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps imagemagick
  g++-mingw-w64-x86-64
  # Qt6Charts needs Qt6OpenGL's CMake files; FindOpenGL records GLU in the cache.
  libqt6opengl6-dev libglu1-mesa-dev
  # Installing: icons drawn to SVG, desktop entry and AppStream checks, the DEB.
  qt6-svg-dev desktop-file-utils appstream dpkg-dev file
  # The log editor: mail hand-off, lock-key states from the X server.
  xdg-utils libx11-dev
  # Fuzzing the parsers (libFuzzer comes with clang).
  clang-14 libfuzzer-14-dev
  # The Windows build's tests run under Wine.
  wine64
)

# The list alone, for scripts/check-setup-packages.sh.
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

# --also PKG...: packages one stage needs beyond the list (FlightGear's test).
if [ "${1:-}" = "--also" ]; then
  shift
  packages+=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
