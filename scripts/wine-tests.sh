#!/usr/bin/env bash
# Runs the Windows build under Wine: the simulator link's tests and the
# Windows platform tests, then kestrova-cli.exe and kestrova-sim.exe end to
# end on the test fixtures, compared byte for byte with the Linux build.
# One fresh Wine prefix per run, no display (graphics driver "null").
# Needs the Linux build in build/ (BUILD_DIR overrides it); cross-builds
# build-windows/ itself.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
start=$SECONDS

linux_build=${BUILD_DIR:-build}
bash scripts/cross-windows.sh
if [ ! -x "$linux_build/apps/kestrova-cli/kestrova-cli" ] || [ ! -x "$linux_build/apps/kestrova-sim/kestrova-sim" ]; then
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$linux_build" -j "${JOBS:-2}" --target kestrova-cli kestrova-sim
fi
lcli=$root/$linux_build/apps/kestrova-cli/kestrova-cli
lsim=$root/$linux_build/apps/kestrova-sim/kestrova-sim
wcli=$root/build-windows/apps/kestrova-cli/kestrova-cli.exe
wsim=$root/build-windows/apps/kestrova-sim/kestrova-sim.exe
wtests=$root/build-windows/tests/windows

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

run=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-wine-XXXXXX")
export WINEPREFIX=$run/prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs at the first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The shell's recycle bin is the XDG trash under Wine: keep it in the run.
export XDG_DATA_HOME=$run/xdg
export LC_ALL=C LANG=C
# The Linux stand-in's socket, away from any other simulator on the machine.
export XDG_RUNTIME_DIR=$run/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  if [ -n "${KEEP_WINE_RUN:-}" ]; then echo "kept $run"; else rm -rf "$run"; fi
}
trap cleanup EXIT

echo "-- Wine prefix"
"$wine" wineboot -i >"$run/wineboot.log" 2>&1 || { cat "$run/wineboot.log" >&2; exit 1; }
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
# A temporary folder of our own, so the test sees %TEMP% followed.
mkdir -p "$WINEPREFIX/drive_c/ktemp"
for v in TEMP TMP; do
  "$wine" reg add 'HKCU\Environment' /v $v /t REG_EXPAND_SZ /d 'C:\ktemp' /f >/dev/null
done
# The Linux runs use the C locale, whose long time format is hh:nn:ss; Wine's
# default user locale (en-US) writes h:mm:ss tt, which the log update cuts to
# "7:30:" as it should. The comparison needs the same format on both sides.
"$wine" reg add 'HKCU\Control Panel\International' /v sTimeFormat /d HH:mm:ss /f >/dev/null
# The driver and the environment are read when Wine starts again.
"$wineserver" -w

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

echo "-- tests under Wine"
# Each program's whole output is shown only when it fails.
for t in windows_tests simlink_tests; do
  if (cd "$run" && timeout 300 "$wine" "$wtests/$t.exe" >"$run/$t.log" 2>&1); then
    grep -E '^\[  PASSED  \]' "$run/$t.log" | sed "s/^/$t: /"
  else
    cat "$run/$t.log" >&2
    fail "$t"
  fi
done

# Runs one command on both builds, each in a fresh working directory holding
# the given input files, and compares exit code, standard output and error
# (CR LF read as LF: Windows consoles end lines with CR LF) and every file
# left in the directory byte for byte. The Windows run has a drive-letter
# working directory, C:\e2e\NAME.
n=0
compare() {
  local name=$1 inputs=$2
  shift 2
  n=$((n + 1))
  local l=$run/linux/$name w=$WINEPREFIX/drive_c/e2e/$name
  mkdir -p "$l" "$w"
  for f in $inputs; do cp "$f" "$l/"; cp "$f" "$w/"; done
  local lrc=0 wrc=0
  (cd "$l" && "$lcli" "$@" >"$run/l.out" 2>"$run/l.err") || lrc=$?
  (cd "$w" && "$wine" "$wcli" "$@" >"$run/w.out" 2>"$run/w.err") || wrc=$?
  [ "$lrc" = "$wrc" ] || fail "$name: exit code $lrc on Linux, $wrc on Windows"
  # Paths printed name each build's own working directory.
  for s in out err; do
    sed "s|$l/|DIR/|g" "$run/l.$s" >"$run/l.$s.dir" && mv "$run/l.$s.dir" "$run/l.$s"
    tr -d '\r' <"$run/w.$s" | sed 's|C:\\e2e\\'"$name"'\\|DIR/|g' >"$run/w.$s.lf"
    cmp -s "$run/l.$s" "$run/w.$s.lf" || { fail "$name: std$s differs"; diff "$run/l.$s" "$run/w.$s.lf" | head -5 >&2 || true; }
  done
  local lfiles wfiles
  lfiles=$(cd "$l" && ls | sort)
  wfiles=$(cd "$w" && ls | sort)
  [ "$lfiles" = "$wfiles" ] || fail "$name: files differ: [$lfiles] on Linux, [$wfiles] on Windows"
  for f in $lfiles; do
    if [ -f "$w/$f" ] && ! cmp -s "$l/$f" "$w/$f"; then
      fail "$name: $f differs"
      cmp "$l/$f" "$w/$f" >&2 || true
    fi
  done
  return 0
}

echo "-- kestrova-cli.exe against the Linux build"
conv=tests/conversion/fixtures
for plan in "$conv"/fpf-all-types.fpf "$conv"/fpf-cut-inside-block.fpf "$conv"/fpf-count-invalid.fpf \
            "$conv"/flt-route.flt "$conv"/flt-every-type.flt; do
  kind=${plan##*.}
  for target in prg txt fsn pln; do
    compare "convert-$(basename "$plan" ."$kind")-$target" "$plan" convert "$kind" "$(basename "$plan")" "$target" -o "out.$target"
  done
done

nav=tests/navlog/fixtures
printf '[General]\r\nPilot=MARIO ROSSI\r\nPilotID=AZ0123\r\nPilotNum=42\r\n' >"$run/pilot.ini"
for c in flightplanner:fp_duration flightplanner:fp_clock_midnight winplanner:wp_basic winplanner:wp_midnight \
         flightplanner:fp_departure_only; do
  planner=${c%%:*} fixture=${c#*:}
  compare "prepare-$fixture" "$nav/$fixture.txt $run/pilot.ini" \
    --settings pilot.ini prepare "$planner" "$fixture.txt" --date 12/04/01
done
compare prepare-missing "$run/pilot.ini" --settings pilot.ini prepare flightplanner missing.txt

rev=tests/review/fixtures
cp "$rev/normal_flight.log" "$run/Report.log"
compare update-no-record "$run/Report.log" update

compare settings-set "$run/pilot.ini" --settings pilot.ini settings set General Pilot "ANNA BIANCHI"
compare settings-get "$run/pilot.ini" --settings pilot.ini settings get General PilotID None
compare settings-default "$run/pilot.ini" --settings pilot.ini settings get Other Key "the default"

# A whole flight: prepare, record through each build's simulator stand-in,
# update. One waypoint press for the departure and each of the six checkpoints.
scenario=$run/flight.txt
{
  echo "set 0x3304 u32 0x26900002"
  echo "set 0x3308 u16 2"
  echo "set 0x3D00 str Cessna Skylane RG, Altamarinola, I-KEST"
  echo "set 0x0EC6 u16 16208"
  echo "set 0x0B78 u32 46"
  echo "await connect"
  minutes=(30 37 53 80 152 182 190)
  for i in 0 1 2 3 4 5 6; do
    m=${minutes[$i]}
    echo "set 0x0238 u8 $((9 + m / 60))"
    echo "set 0x0239 u8 $((m % 60))"
    echo "set 0x023B u8 $((7 + m / 60))"
    echo "set 0x0574 s32 $((i == 0 || i == 6 ? 5 : 1372))"
    echo "set 0x02B8 u32 $((i == 0 || i == 6 ? 0 : 15360))"
    echo "set 0x0B74 u32 $((8388608 - i * 600000))"
    echo "set 0x0F42 u16 $((15 * 256 - i * 256))"
    echo "press waypoint"
    echo "await waypoint"
  done
  echo "press end"
} >"$scenario"
flight() {  # $1: linux|windows, $2: working directory
  local sim cli w=()
  if [ "$1" = linux ]; then sim=$lsim cli=$lcli; else sim=$wsim cli=$wcli w=("$wine"); fi
  (cd "$2" && "${w[@]}" "$cli" --settings pilot.ini prepare flightplanner fp_duration.txt --date 12/04/01 >prepare.out)
  ("${w[@]}" "$sim" "$scenario" >"$2/sim.out" 2>"$run/sim-$1.err") &
  local simpid=$!
  for _ in $(seq 100); do grep -q serving "$run/sim-$1.err" 2>/dev/null && break; sleep 0.1; done
  (cd "$2" && "${w[@]}" "$cli" record >record.out 2>record.err) || echo "record: exit $?" >>"$2/record.err"
  wait $simpid || echo "simulator: exit $?" >>"$2/record.err"
  (cd "$2" && "${w[@]}" "$cli" update >update.out 2>update.err) || echo "update: exit $?" >>"$2/update.err"
  rm -f "$2/prepare.out"  # names the directory
  for f in "$2"/*.out "$2"/*.err; do tr -d '\r' <"$f" >"$f.lf" && mv "$f.lf" "$f"; done
}
lf=$run/linux/flight wf=$WINEPREFIX/drive_c/e2e/flight
mkdir -p "$lf" "$wf"
for d in "$lf" "$wf"; do cp "$nav/fp_duration.txt" "$run/pilot.ini" "$d/"; done
flight linux "$lf"
flight windows "$wf"
n=$((n + 1))
for f in $(cd "$lf" && ls); do
  cmp -s "$lf/$f" "$wf/$f" || { fail "flight: $f differs"; diff "$lf/$f" "$wf/$f" | head -6 >&2 || true; }
done
[ "$(cd "$lf" && ls)" = "$(cd "$wf" && ls)" ] || fail "flight: different files"
grep -q "^message: REGISTERED WAYPOINT #7$" "$wf/sim.out" || fail "flight: the simulator stand-in showed no 7th waypoint"
[ -s "$wf/Report.BAK" ] || fail "flight: no Report.BAK"

echo "-- Windows paths"
w=$WINEPREFIX/drive_c/e2e/paths
mkdir -p "$w"
cp "$nav/fp_duration.txt" "$run/pilot.ini" "$conv/fpf-all-types.fpf" "$w/"
out=$(cd "$w" && "$wine" "$wcli" --settings pilot.ini prepare flightplanner fp_duration.txt --date 12/04/01 | tr -d '\r')
[ "$out" = 'Wrote C:\e2e\paths\Report.log' ] || fail "prepare in a drive-letter directory printed: $out"
out=$(cd "$w" && "$wine" "$wcli" --settings pilot.ini prepare flightplanner fp_duration.txt --store X1 2>&1 | tr -d '\r') &&
  fail "prepare --store succeeded"
[ "$out" = "--store: the flights store is not in this build" ] || fail "prepare --store printed: $out"
out=$(cd "$w" && "$wine" "$wcli" convert fpf fpf-all-types.fpf prg | tr -d '\r')
[ "$out" = 'C:\ktemp\kestrova\FS98.prg' ] || fail "convert wrote to $out, not %TEMP%"
[ -f "$WINEPREFIX/drive_c/ktemp/kestrova/FS98.prg" ] || fail "no FS98.prg in %TEMP%"
(cd "$w" && "$wine" "$wcli" convert fpf fpf-all-types.fpf txt -o route.txt >/dev/null)
[ -f "$w/route.txt" ] || fail "convert -o wrote nothing"
[ ! -e "$WINEPREFIX/drive_c/ktemp/kestrova/FS98.txt" ] || fail "the temporary FS98.txt stayed after convert -o"
# A scripted conversion deletes its temporary output rather than filling the
# recycle bin (the shell's recycle bin is checked by windows_tests.exe).
[ ! -e "$XDG_DATA_HOME/Trash/files/FS98.txt" ] || fail "convert -o put its temporary FS98.txt in the recycle bin"
# The time separator of the Windows user locale, as Control Panel sets it.
"$wine" reg add 'HKCU\Control Panel\International' /v sTime /d . /f >/dev/null
"$wine" reg add 'HKCU\Control Panel\International' /v sTimeFormat /d HH.mm.ss /f >/dev/null
sep=$WINEPREFIX/drive_c/e2e/separator
mkdir -p "$sep"
printf 'set 0x3304 u32 0x26900002\nset 0x3308 u16 2\nawait connect\nset 0x0238 u8 8\nset 0x0239 u8 5\nset 0x023B u8 7\npress waypoint\nawait waypoint\npress end\n' >"$run/sep.txt"
("$wine" "$wsim" "$run/sep.txt" >/dev/null 2>"$run/sep.err") &
simpid=$!
for _ in $(seq 100); do grep -q serving "$run/sep.err" 2>/dev/null && break; sleep 0.1; done
(cd "$sep" && "$wine" "$wcli" record >/dev/null) || fail "record with '.' as the time separator"
wait $simpid || true
first=$(head -c 4 "$sep/FS98.log" 2>/dev/null || true)
[ "$first" = "7.5," ] || fail "record wrote '$first...' with '.' as the time separator"

echo "wine tests: $n end-to-end comparisons, $failures failures, $((SECONDS - start)) s"
[ "$failures" -eq 0 ]
