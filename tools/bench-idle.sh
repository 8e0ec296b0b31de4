#!/usr/bin/env bash
# Idle cost of the headless runner: CPU share, resident memory and wake-ups
# of brellixd over a stretch of each busy mode, against our targets, run
# both ways a user runs it:
#   without a session bus (a system service): no DBUS_SESSION_BUS_ADDRESS,
#     no $XDG_RUNTIME_DIR/bus; at most 12 MiB resident;
#   with one: a private dbus-daemon started here, the interface for other
#     programs published on it (checked); at most 13 MiB resident.
#   tools/bench-idle.sh [--where] [seconds-per-mode]   (default 20)
# --where adds, per run, the mappings that hold the most resident memory
# (from /proc/PID/smaps: libraries by file, heap, anonymous, stack).
# The module is brellix-lcdsim in a process of its own, so what is measured
# is brellixd alone.
# Other targets: below 1% of one core on average and, in the modes
# refreshed once a second (1 to 3), about one wake-up a second (at most 3:
# the tick, and the serial writes it makes).
set -euo pipefail
cd "$(dirname "$0")/.."
where=0
if [ "${1:-}" = --where ]; then where=1; shift; fi
secs=${1:-20}
bin=build/src/brellixd
sim=build/src/brellix-lcdsim
[ -x "$bin" ] && [ -x "$sim" ] || { echo "build first: scripts/build.sh" >&2; exit 1; }
command -v dbus-daemon >/dev/null || { echo "dbus-daemon is needed (Debian: dbus)" >&2; exit 1; }
tick=$(getconf CLK_TCK)
work=$(mktemp -d)
simpid=
buspid=
pid=
trap 'kill $pid $simpid $buspid 2>/dev/null || true; rm -rf "$work"' EXIT
"$sim" --quiet > "$work/sim.out" &
simpid=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.out")
mkdir -m 700 "$work/runtime" # an XDG_RUNTIME_DIR without a bus in it

dbus-daemon --session --nofork --nopidfile --print-address=3 3> "$work/bus.address" 2>/dev/null &
buspid=$!
for _ in $(seq 50); do [ -s "$work/bus.address" ] && break; sleep 0.1; done
address=$(head -n1 "$work/bus.address")
[ -n "$address" ] || { echo "dbus-daemon gave no address" >&2; exit 1; }

# Voluntary context switches of every thread: each is a thread going back
# to sleep, so one per wake-up. Preemptions are left out: they count the
# other work on a busy machine, not brellixd's.
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}'
}

# Whether Brellix owns its name on the private bus.
published() {
  DBUS_SESSION_BUS_ADDRESS=$address dbus-send --session --print-reply \
    --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner \
    string:io.github.brellix.Brellix1 2>/dev/null | grep -q 'boolean true'
}

# Resident KiB per mapping, the largest first.
mappings() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {name = $6 == "" ? "[anonymous]" : $6}
       /^Rss:/ {rss[name] += $2}
       END {for (n in rss) if (rss[n] > 0) printf "%8d KiB  %s\n", rss[n], n}' \
    /proc/"$1"/smaps | sort -rn | head -n 15
}

fail=0
for way in without with; do
  if [ $way = with ]; then
    limit=13
    environment=(DBUS_SESSION_BUS_ADDRESS="$address")
  else
    limit=12
    environment=(-u DBUS_SESSION_BUS_ADDRESS)
  fi
  echo "$way a session bus (at most $limit MiB resident):"
  for mode in 0 1 2 3; do
    ini="$work/brellix.ini"
    printf '[Mode]\nmode=%s\n[Ports]\nCOM1=%s\n' "$mode" "$port" > "$ini"
    env "${environment[@]}" XDG_RUNTIME_DIR="$work/runtime" \
      "$bin" --config "$ini" >/dev/null 2>&1 &
    pid=$!
    sleep 3 # start-up and detection are not idle
    verdict=ok
    note=
    if [ $way = with ] && ! published; then verdict=FAIL; note=" (interface not published)"; fi
    read -r u0 s0 < <(awk '{print $14, $15}' /proc/$pid/stat)
    w0=$(switches $pid)
    sleep "$secs"
    read -r u1 s1 < <(awk '{print $14, $15}' /proc/$pid/stat)
    w1=$(switches $pid)
    rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
    [ $where = 1 ] && mappings $pid > "$work/where"
    kill -TERM $pid; wait $pid || true
    pid=
    cpu=$(awk -v a=$((u1 + s1 - u0 - s0)) -v t="$tick" -v s="$secs" 'BEGIN {printf "%.2f", 100 * a / t / s}')
    wakes=$(awk -v w=$((w1 - w0)) -v s="$secs" 'BEGIN {printf "%.1f", w / s}')
    awk -v c="$cpu" 'BEGIN {exit !(c < 1.0)}' || verdict=FAIL
    [ "$rss" -le $((limit * 1024)) ] || verdict=FAIL
    if [ "$mode" -ge 1 ]; then
      awk -v w="$wakes" 'BEGIN {exit !(w <= 3.0)}' || verdict=FAIL
    fi
    [ "$verdict" = ok ] || fail=1
    printf '  mode %s: cpu %5s%%  rss %6s KiB (%5.1f MiB)  wake-ups %5s/s  %s%s\n' \
      "$mode" "$cpu" "$rss" "$(awk -v r="$rss" 'BEGIN {print r / 1024}')" "$wakes" "$verdict" "$note"
    [ $where = 1 ] && cat "$work/where"
  done
done
exit $fail
