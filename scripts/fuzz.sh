#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 (ASan + UBSan) and runs each for a
# bounded time on a corpus seeded from the test fixtures. CI runs it with the
# default of 8 s a target; FUZZ_SECONDS=600 bash scripts/fuzz.sh runs longer.
# The mutations follow a fixed seed (FUZZ_SEED, 1 by default), so a run on a
# fresh corpus repeats the one before it: CI passes or fails on the code, not on
# luck. FUZZ_SEED=0 lets libFuzzer pick a new seed to explore further.
# A crash, leak, hang or UB report fails the run and leaves the input under
# build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${FUZZ_SECONDS:-8}
fuzz_seed=${FUZZ_SEED:-1}
build=${FUZZ_BUILD_DIR:-build-fuzz}
targets=(navlog_fuzzer plan_conversion_fuzzer flight_record_fuzzer settings_fuzzer scenario_fuzzer ipc_reply_fuzzer)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKESTROVA_FUZZ=ON \
  -DKESTROVA_GUI=OFF -DKESTROVA_TESTS=OFF -DKESTROVA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# Seeds: the fixtures each reader is tested with, plus the hand-made ones of fuzz/seeds.
seed() {  # seed TARGET FILES...
  local dir="$build/corpus/$1"
  shift
  mkdir -p "$dir"
  for f in "$@"; do cp "$f" "$dir/seed-$(basename "$f")"; done
}
seed navlog_fuzzer tests/navlog/fixtures/*.txt
seed plan_conversion_fuzzer tests/conversion/fixtures/*.fpf tests/conversion/fixtures/*.flt
seed settings_fuzzer fuzz/seeds/settings/*
seed scenario_fuzzer fuzz/seeds/scenario/*
seed ipc_reply_fuzzer fuzz/seeds/ipc_reply/*
mkdir -p "$build/corpus/flight_record_fuzzer"
for log in tests/review/fixtures/*.log; do
  { cat "$log"; printf '\0'; cat fuzz/seeds/flight_record/*; } \
    >"$build/corpus/flight_record_fuzzer/seed-$(basename "$log")"
done

findings="$root/$build/findings"
mkdir -p "$findings"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
status=0
for t in "${targets[@]}"; do
  log="$build/$t.log"
  # Scenario commands print (echo); their output is not of interest here.
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -seed="$fuzz_seed" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
      -artifact_prefix="$findings/$t-" "$build/corpus/$t" >"$log" 2>&1; then
    echo "fuzz: $t FAILED, see $log and $findings" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo "?")
  echo "fuzz: $t: $runs executions in ${seconds} s, corpus $(ls "$build/corpus/$t" | wc -l) files"
done
exit $status
