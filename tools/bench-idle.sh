#!/usr/bin/env bash
# Idle cost of the headless runner: CPU share and resident memory of
# brellixd --simulate over a stretch of each busy mode, against our targets.
#   tools/bench-idle.sh [seconds-per-mode]   (default 20)
# Targets: below 1% of one core on average, below 40 MiB resident.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-20}
bin=build/src/brellixd
[ -x "$bin" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }
tick=$(getconf CLK_TCK)
fail=0
for mode in 0 1 2 3; do
  ini=$(mktemp)
  printf '[Mode]\nmode=%s\n' "$mode" > "$ini"
  "$bin" --simulate --config "$ini" >/dev/null 2>&1 &
  pid=$!
  sleep 3 # start-up and detection are not idle
  read -r u0 s0 < <(awk '{print $14, $15}' /proc/$pid/stat)
  sleep "$secs"
  read -r u1 s1 < <(awk '{print $14, $15}' /proc/$pid/stat)
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  kill -TERM $pid; wait $pid || true
  rm -f "$ini"
  cpu=$(awk -v a=$((u1 + s1 - u0 - s0)) -v t="$tick" -v s="$secs" 'BEGIN {printf "%.2f", 100 * a / t / s}')
  verdict=ok
  awk -v c="$cpu" 'BEGIN {exit !(c < 1.0)}' || verdict=FAIL
  [ "$rss" -lt $((40 * 1024)) ] || verdict=FAIL
  [ "$verdict" = ok ] || fail=1
  printf 'mode %s: cpu %5s%%  rss %6s KiB  %s\n' "$mode" "$cpu" "$rss" "$verdict"
done
exit $fail
