#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would
# (apt-get install ./kestrova_*.deb), checks that the three programs start from
# /usr/bin (the desktop application under Xvfb, taking a screenshot, as an
# ordinary user whose settings then live in ~/.config), and removes it again.
#   scripts/check-package.sh [BUILD_DIR]   (default: build; must be configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "check-package: run as root (it installs the package)" >&2; exit 1; }

if dpkg-query -W -f='${Status}' kestrova 2>/dev/null | grep -q "install ok installed"; then
  echo "check-package: a kestrova package is installed already; remove it first" >&2
  exit 1
fi

rm -f "$build"/kestrova_*.deb
(cd "$build" && cpack -G DEB >/dev/null 2>&1) || (cd "$build" && cpack -G DEB)
deb=$(ls "$build"/kestrova_*.deb)
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for lib in libqt6widgets6 libsqlite3-0 libc6 qt6-qpa-plugins; do
  grep -q "$lib" <<<"$depends" || { echo "check-package: Depends lacks $lib" >&2; exit 1; }
done

work=$(mktemp -d)
chmod 755 "$work"
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kestrova >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A copy outside the build tree: apt-get reads a local file as the _apt user.
cp "$deb" "$work/"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$work/$(basename "$deb")" >/dev/null

for f in /usr/bin/kestrova /usr/bin/kestrova-cli /usr/bin/kestrova-sim \
         /usr/share/applications/org.kestrova.Kestrova.desktop \
         /usr/share/metainfo/org.kestrova.Kestrova.metainfo.xml \
         /usr/share/icons/hicolor/48x48/apps/org.kestrova.Kestrova.png \
         /usr/share/icons/hicolor/scalable/apps/org.kestrova.Kestrova.svg \
         /usr/share/man/man1/kestrova-cli.1 /usr/share/man/man1/kestrova-sim.1; do
  dpkg -S "$f" >/dev/null || { echo "check-package: the package lacks $f" >&2; exit 1; }
done

kestrova-cli --help | grep -q "flights export --csv"
kestrova-sim --help | grep -q "kestrova-sim --demo"
QT_QPA_PLATFORM=offscreen kestrova --help 2>/dev/null | grep -q "usage: kestrova"

# The desktop application as an ordinary user, from a working directory of its own.
mkdir -p "$work/home" "$work/flights"
chown nobody "$work/home" "$work/flights"
runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$work/home" sh -c \
  "cd '$work/flights' && xvfb-run -a kestrova --screenshot '$work/flights/screen.png'" >/dev/null 2>&1
file "$work/flights/screen.png" | grep -q "PNG image data" || {
  echo "check-package: kestrova took no screenshot" >&2
  exit 1
}
[ -f "$work/flights/Voli.cds" ] || { echo "check-package: kestrova made no Voli.cds" >&2; exit 1; }
compgen -G "$work/flights/backups/Voli-*.cds" >/dev/null || {
  echo "check-package: kestrova took no start-up backup of Voli.cds" >&2
  exit 1
}
[ ! -e /usr/bin/Kestrova.INI ] || { echo "check-package: settings written into /usr/bin" >&2; exit 1; }

# Settings of an installed copy go to the user's configuration folder.
runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$work/home" sh -c \
  "cd '$work/flights' && kestrova-cli settings set General Pilot 'MARIO ROSSI' && kestrova-cli settings get General Pilot" \
  | grep -q "MARIO ROSSI"
[ -f "$work/home/.config/kestrova/Kestrova.INI" ] || {
  echo "check-package: the settings are not in ~/.config/kestrova" >&2
  exit 1
}

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kestrova >/dev/null
[ ! -e /usr/bin/kestrova ] || { echo "check-package: removing left /usr/bin/kestrova" >&2; exit 1; }
echo "check-package: installed, started (screenshot $(identify -format '%wx%h' "$work/flights/screen.png" 2>/dev/null || echo taken)) and removed"
