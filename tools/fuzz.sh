#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ into build-fuzz/ (clang, ASan and
# UBSan) and runs each for the given time, starting from its seeds in
# fuzz/corpus/<target>/. What a run learns is kept in build-fuzz/corpus/,
# so the next run goes on from there; a crashing input is saved in
# build-fuzz/crashes/. Prints executions and crashes per target; exits 1
# when any target crashed.
#   tools/fuzz.sh [seconds-per-target] [target...]   (default 60, all)
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-60}
shift || true

scripts/deps.sh
need=(clang-14 libclang-rt-14-dev)
scripts/deps.sh "${need[@]}"

cmake -S . -B build-fuzz -G Ninja -DBRELLIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzzers

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/fuzz_*.cpp; do
    n=${f#fuzz/fuzz_}
    targets+=("${n%.cpp}")
  done
fi

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
mkdir -p build-fuzz/crashes build-fuzz/logs
printf '%-20s %12s %10s %8s\n' target execs exec/s crashes
failed=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/logs/$t.log"
  rc=0
  "build-fuzz/fuzz/fuzz_$t" -max_total_time="$secs" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$t-" "build-fuzz/corpus/$t" "fuzz/corpus/$t" \
    >"$log" 2>&1 || rc=$?
  execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  rate=$(awk '/stat::average_exec_per_sec/ {print $2}' "$log")
  # A run cut short may end before the final statistics: its last status line.
  [ -n "$execs" ] || execs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -n1)
  crashes=0
  if [ $rc -ne 0 ]; then
    crashes=1
    failed=1
  fi
  printf '%-20s %12s %10s %8s\n' "$t" "${execs:-?}" "${rate:-?}" "$crashes"
  if [ $rc -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|check failed|Test unit written' "$log" | head -n 8 | sed 's/^/    /'
    echo "    full log: $log"
  fi
done
exit $failed
