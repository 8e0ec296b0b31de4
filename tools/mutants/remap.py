#!/usr/bin/env python3
"""Follows the mutant sample's faults into the files their lines moved to.

  tools/mutants/remap.py IN.json OUT.json

A fault whose file no longer holds its exact line, but exactly one other
.cpp file under src/ does, gets that file's path (the line number is only a
hint to the tool). Everything else is written unchanged, so a fault whose
line was rewritten or removed stays "gone". Prints what moved.
"""
import json, os, sys

src_in, src_out = sys.argv[1:3]
root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
files = {}
for base, _, names in os.walk(os.path.join(root, "src")):
    for n in names:
        if n.endswith(".cpp"):
            p = os.path.relpath(os.path.join(base, n), root)
            files[p] = open(os.path.join(root, p), encoding="utf-8", errors="replace").read().split("\n")
sample = json.load(open(src_in))
moved = 0
for m in sample:
    if m["line"] in files.get(m["file"], []):
        continue
    holders = [p for p, lines in files.items() if m["line"] in lines]
    if len(holders) == 1:
        print(f"{m['file']} -> {holders[0]}: {m['line'].strip()}")
        m["file"] = holders[0]
        moved += 1
json.dump(sample, open(src_out, "w"), indent=1)
print(f"{moved} faults followed to another file")
