#!/usr/bin/env bash
# Idle cost of the headless runner: CPU share, resident memory and wake-ups
# of brellixd over a stretch of each busy mode, against our targets.
#   tools/bench-idle.sh [seconds-per-mode]   (default 20)
# The module is brellix-lcdsim in a process of its own, so what is measured
# is brellixd alone.
# Targets: below 1% of one core on average, at most 12 MiB resident, and in
# the modes refreshed once a second (1 to 3) about one wake-up a second
# (at most 3: the tick, and the serial writes it makes).
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-20}
bin=build/src/brellixd
sim=build/src/brellix-lcdsim
[ -x "$bin" ] && [ -x "$sim" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
trap 'kill $simpid 2>/dev/null || true; rm -rf "$work"' EXIT
"$sim" --quiet > "$work/sim.out" &
simpid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.out")

# Context switches of every thread: each is the process waking up (or
# being preempted, which an idle program hardly is).
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {n += $2} END {print n}'
}

fail=0
for mode in 0 1 2 3; do
  ini="$work/brellix.ini"
  printf '[Mode]\nmode=%s\n[Ports]\nCOM1=%s\n' "$mode" "$port" > "$ini"
  "$bin" --config "$ini" >/dev/null 2>&1 &
  pid=$!
  sleep 3 # start-up and detection are not idle
  read -r u0 s0 < <(awk '{print $14, $15}' /proc/$pid/stat)
  w0=$(switches $pid)
  sleep "$secs"
  read -r u1 s1 < <(awk '{print $14, $15}' /proc/$pid/stat)
  w1=$(switches $pid)
  rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
  kill -TERM $pid; wait $pid || true
  cpu=$(awk -v a=$((u1 + s1 - u0 - s0)) -v t="$tick" -v s="$secs" 'BEGIN {printf "%.2f", 100 * a / t / s}')
  wakes=$(awk -v w=$((w1 - w0)) -v s="$secs" 'BEGIN {printf "%.1f", w / s}')
  verdict=ok
  awk -v c="$cpu" 'BEGIN {exit !(c < 1.0)}' || verdict=FAIL
  [ "$rss" -le $((12 * 1024)) ] || verdict=FAIL
  if [ "$mode" -ge 1 ]; then
    awk -v w="$wakes" 'BEGIN {exit !(w <= 3.0)}' || verdict=FAIL
  fi
  [ "$verdict" = ok ] || fail=1
  printf 'mode %s: cpu %5s%%  rss %6s KiB  wake-ups %5s/s  %s\n' "$mode" "$cpu" "$rss" "$wakes" "$verdict"
done
exit $fail
