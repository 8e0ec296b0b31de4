#!/usr/bin/env bash
# Brellix beside its peer: brellixd in modes 0 to 3 against LCDproc's LCDd
# with its lcdproc client showing the nearest screen (BigClock, TimeDate,
# CPU, Iface), one after the other on this machine, each for the given time:
# CPU seconds per hour, resident memory, wake-ups per second (context
# switches of all threads) and bytes per second on the wire, with the
# ratios brellixd / LCDd+lcdproc.
#   tools/bench-peer.sh [seconds-per-run]   (default 60)
#
# The module is a pseudo-terminal in both cases. Brellix's is brellix-lcdsim,
# a process of its own, mapped through [Ports] COM1= in a temporary settings
# file; LCDd's MtxOrb driver writes to a socat pty whose other end is read
# and thrown away. The wire count is what the process at the pty's other end
# read (its rchar). Figures are taken after a settling time, so start-up is
# not counted in them; start-up is measured apart: from exec to brellixd's
# "Status: LCD Connected" line.
# Targets: brellixd's CPU at most a quarter of the pair's, its resident
# memory at most 12 MiB, "LCD Connected" within 200 ms. Exit code 1 when one
# is missed.
set -euo pipefail
export LC_ALL=C
cd "$(dirname "$0")/.."
secs=${1:-60}
settle=5
bin=$PWD/build/src/brellixd
sim=$PWD/build/src/brellix-lcdsim
[ -x "$bin" ] && [ -x "$sim" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }

scripts/deps.sh lcdproc socat
driverpath=$(dirname "$(dpkg -L lcdproc | grep '/MtxOrb.so$' | head -n1)")

nsec=1000000000
work=$(mktemp -d)
started=()
cleanup() {
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Sums over the processes given: CPU time of every thread in ns (schedstat,
# finer than the 10 ms ticks of /proc/PID/stat), resident KiB, context
# switches of every thread.
cputime() {
  for p; do cat /proc/"$p"/task/*/schedstat 2>/dev/null; done | awk '{n += $1} END {printf "%.0f", n}'
}
rss() { for p; do awk '/^VmRSS/ {print $2}' /proc/"$p"/status; done | awk '{n += $1} END {print n}'; }
switches() {
  for p; do cat /proc/"$p"/task/*/status 2>/dev/null; done |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches/ {n += $2} END {print n}'
}
rchar() { awk '/^rchar/ {print $2}' /proc/"$1"/io; }

# measure NAME WIREPID PID... : one table row per process and, for more
# than one, their sum; the sum's figures are left in $cpu $mem $wake $wire.
measure() {
  local name=$1 wirepid=$2
  shift 2
  sleep "$settle"
  local t0 s0 w0 t1 s1 w1 p
  declare -A pt0 ps0
  for p; do pt0[$p]=$(cputime "$p"); ps0[$p]=$(switches "$p"); done
  w0=$(rchar "$wirepid")
  sleep "$secs"
  w1=$(rchar "$wirepid")
  wire=$(awk -v b=$((w1 - w0)) -v s="$secs" 'BEGIN {printf "%.0f", b / s}')
  local tsum=0 ssum=0 msum=0
  for p; do
    local dt=$(($(cputime "$p") - pt0[$p])) ds=$(($(switches "$p") - ps0[$p])) m
    m=$(rss "$p")
    tsum=$((tsum + dt)) ssum=$((ssum + ds)) msum=$((msum + m))
    if [ $# -gt 1 ]; then
      row "  $(tr -d '\n' </proc/"$p"/comm)" "$dt" "$m" "$ds" "-"
    fi
  done
  row "$name" "$tsum" "$msum" "$ssum" "$wire"
  cpu=$(awk -v t="$tsum" -v k="$nsec" -v s="$secs" 'BEGIN {printf "%.2f", t / k / s * 3600}')
  mem=$msum
  wake=$(awk -v w="$ssum" -v s="$secs" 'BEGIN {printf "%.1f", w / s}')
}
row() { # name cpu-ns rss switches bytes/s
  printf '%-30s %10s %9s %12s %9s\n' "$1" \
    "$(awk -v t="$2" -v k="$nsec" -v s="$secs" 'BEGIN {printf "%.2f", t / k / s * 3600}')" \
    "$3" "$(awk -v w="$4" -v s="$secs" 'BEGIN {printf "%.1f", w / s}')" "$5"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.3f", a / b; else print "-"}'; }

# The module for Brellix, in a process of its own for the whole run.
"$sim" --quiet >"$work/sim.out" 2>/dev/null &
simpid=$!
started+=("$simpid")
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.out")
[ -n "$port" ] || { echo "brellix-lcdsim did not start" >&2; exit 1; }

# The interface lcdproc's Iface screen shows: the first one that is not lo.
iface=$(awk -F: 'NR > 2 {gsub(/ /, "", $1); if ($1 != "lo") {print $1; exit}}' /proc/net/dev)
iface=${iface:-lo}
lcdport=$((20000 + RANDOM % 20000))

modes=(0 1 2 3)
mode_names=("Large Characters Clock" "Time And Date" "CPU Info" "Network Info")
letters=(K T C I)
screens=(BigClock TimeDate CPU Iface)
fail=0
results=()

printf 'Brellix beside LCDd + lcdproc, %s s per run after %s s settling\n\n' "$secs" "$settle"
printf '%-30s %10s %9s %12s %9s\n' run "cpu s/h" "rss KiB" "wake-ups/s" "bytes/s"
for i in "${!modes[@]}"; do
  mode=${modes[$i]}
  echo "-- mode $mode (${mode_names[$i]}) / lcdproc ${screens[$i]}"

  ini="$work/brellix.ini"
  printf '[Mode]\nmode=%s\n[Ports]\nCOM1=%s\n[Settings]\nCommPort=1\n' "$mode" "$port" >"$ini"
  stamp="$work/connected.$mode"
  rm -f "$stamp"
  t0=$EPOCHREALTIME
  "$bin" --config "$ini" >/dev/null 2> >(
    while IFS= read -r line; do
      if [[ $line == *"Status: LCD Connected"* && ! -e $stamp ]]; then
        echo "$EPOCHREALTIME" >"$stamp"
      fi
    done
  ) &
  bpid=$!
  started+=("$bpid")
  measure "brellixd mode $mode" "$simpid" "$bpid"
  bcpu=$cpu bmem=$mem bwake=$wake bwire=$wire
  kill -TERM "$bpid"
  wait "$bpid" || true
  if [ -s "$stamp" ]; then
    connected=$(awk -v a="$t0" -v b="$(cat "$stamp")" 'BEGIN {printf "%.0f", (b - a) * 1000}')
  else
    connected=never
  fi

  # The peer: the MtxOrb driver on a pty drained by socat.
  socat -u PTY,link="$work/lcd",raw,echo=0 OPEN:/dev/null &
  socatpid=$!
  started+=("$socatpid")
  for _ in $(seq 50); do [ -e "$work/lcd" ] && break; sleep 0.1; done
  cat >"$work/LCDd.conf" <<CONF
[server]
DriverPath=$driverpath/
Driver=MtxOrb
Bind=127.0.0.1
Port=$lcdport
ReportLevel=2
ReportToSyslog=no
User=$(id -un)
Foreground=yes
ServerScreen=no
[MtxOrb]
Device=$work/lcd
Size=20x4
Type=lcd
Speed=9600
CONF
  {
    printf '[lcdproc]\nServer=127.0.0.1\nPort=%s\nReportLevel=2\nReportToSyslog=false\nForeground=true\n' "$lcdport"
    for s in CPU Iface Memory Load TimeDate About SMP-CPU OldTime BigClock Uptime Battery CPUGraph ProcSize Disk MiniClock; do
      active=false
      [ "$s" = "${screens[$i]}" ] && active=true
      printf '[%s]\nActive=%s\n' "$s" "$active"
      [ "$s" = Iface ] && printf 'Interface0=%s\n' "$iface"
    done
  } >"$work/lcdproc.conf"
  LCDd -c "$work/LCDd.conf" -f >"$work/LCDd.log" 2>&1 &
  lpid=$!
  started+=("$lpid")
  for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/$lcdport) 2>/dev/null && break
    sleep 0.1
  done
  lcdproc -c "$work/lcdproc.conf" -f -s 127.0.0.1 -p "$lcdport" "${letters[$i]}" >"$work/lcdproc.log" 2>&1 &
  cpid=$!
  started+=("$cpid")
  measure "LCDd + lcdproc ${screens[$i]}" "$socatpid" "$lpid" "$cpid"
  kill -TERM "$cpid" 2>/dev/null || true
  wait "$cpid" || true
  kill -TERM "$lpid" 2>/dev/null || true
  wait "$lpid" || true
  kill -TERM "$socatpid" 2>/dev/null || true
  wait "$socatpid" || true
  rm -f "$work/lcd"

  rc=$(ratio "$bcpu" "$cpu")
  printf '%-30s %10s %9s %12s %9s\n' "ratio brellixd / pair" "$rc" "$(ratio "$bmem" "$mem")" \
    "$(ratio "$bwake" "$wake")" "$(ratio "$bwire" "$wire")"
  printf '%-30s %s ms\n' "brellixd LCD Connected after" "$connected"
  missed=()
  awk -v r="$rc" 'BEGIN {exit !(r != "-" && r <= 0.25)}' || missed+=("cpu ratio")
  [ "$bmem" -le $((12 * 1024)) ] || missed+=(rss)
  [ "$connected" != never ] && [ "$connected" -le 200 ] || missed+=("LCD Connected")
  verdict=ok
  if [ ${#missed[@]} -gt 0 ]; then
    verdict="FAIL ($(IFS=,; echo "${missed[*]}"))"
    fail=1
  fi
  results+=("mode $mode: cpu ratio $rc, rss $bmem KiB, LCD Connected $connected ms: $verdict")
done
echo
echo "Targets: cpu ratio <= 0.25, brellixd rss <= 12288 KiB, LCD Connected <= 200 ms"
printf '%s\n' "${results[@]}"
exit $fail
