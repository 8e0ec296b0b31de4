#!/usr/bin/env bash
# Runs the mutant sample in two halves at once (even and odd indices) and
# merges them into one result with its killers file: about half the wall
# time of run.py alone, as the suite mostly waits on its peers. The second
# half runs in its own mount and network namespace (so needs root) over a
# copy of the work folder, so the two builds and the two suites' ports never
# meet.
#   tools/mutants/halves.sh TOOL SET OUT     (work folders /tmp/mut, /tmp/mutB)
set -euo pipefail
tool=$(realpath "$1") set=$(realpath "$2") out=$(realpath -m "$3")
cd "$(dirname "$0")/../.."
parts=$(mktemp -d)
python3 - "$set" "$parts" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
json.dump(d[0::2], open(sys.argv[2] + "/even.json", "w"))
json.dump(d[1::2], open(sys.argv[2] + "/odd.json", "w"))
PY
# One clone and build of HEAD, copied for the second half.
[ -d /tmp/mut/src ] || git clone -q . /tmp/mut/src
git -C /tmp/mut/src fetch -q "$PWD" HEAD
git -C /tmp/mut/src reset -q --hard FETCH_HEAD
git -C /tmp/mut/src clean -qfdx
cmake -S /tmp/mut/src -B /tmp/mut/build -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0" >/dev/null
ninja -C /tmp/mut/build >/dev/null
rm -rf /tmp/mutB && cp -a /tmp/mut /tmp/mutB
run="tools/mutants/run.py $tool --work /tmp/mut --set"
# Each half in a session of its own: a test that signals its process group
# under some fault then ends only its own half.
setsid $run "$parts/even.json" --out "$parts/even.tsv" >"$parts/even.log" 2>&1 &
setsid unshare -mn bash -c "ip link set lo up && mount --bind /tmp/mutB /tmp/mut &&
                     $run $parts/odd.json --out $parts/odd.tsv" >"$parts/odd.log" 2>&1 &
wait
python3 - "$parts" "$out" <<'PY'
import sys
parts, out = sys.argv[1:]
rows, killers, head = {}, {}, []
for name, offset in (("even", 0), ("odd", 1)):
    for line in open(f"{parts}/{name}.tsv"):
        if line.startswith("# commit"):
            head.append(line)
        if line[:1].isdigit():
            p = line.rstrip("\n").split("\t")
            rows[2 * int(p[0]) + offset] = p[1:]
    for line in open(f"{parts}/{name}.tsv.killers"):
        p = line.rstrip("\n").split("\t")
        killers[2 * int(p[0]) + offset] = p[1:]
count = {}
for r in rows.values():
    count[r[0]] = count.get(r[0], 0) + 1
k, s = count.get("killed", 0), count.get("survived", 0)
with open(out, "w") as f:
    f.write(head[0] + "# run in two halves at once (tools/mutants/halves.sh)\n")
    for i in sorted(rows):
        f.write("\t".join([str(i)] + rows[i]) + "\n")
    f.write(f"# killed {k}, survived {s}, broken {count.get('broken', 0)}, "
            f"gone {count.get('gone', 0)}; score {k}/{k + s}\n")
with open(out + ".killers", "w") as f:
    for i in sorted(killers):
        f.write("\t".join([str(i)] + killers[i]) + "\n")
print(f"killed {k}, survived {s}, broken {count.get('broken', 0)}, gone {count.get('gone', 0)}")
PY
