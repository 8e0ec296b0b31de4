#!/usr/bin/env python3
"""Runs the mutant sample with the shared tool, unchanged, and writes beside
its result (OUT.killers) which tests failed for each mutant that was killed.

  tools/mutants/run.py TOOL --set SET --out OUT [--work DIR] [--fresh]

TOOL is the path of mutants.py; the options are its `run` options (--src is
this checkout). The killers show which test alone catches a fault, which is
what to keep when tests are cut.
"""
import re, runpy, subprocess, sys, os

tool = sys.argv[1]
args = sys.argv[2:]
out = args[args.index("--out") + 1]
failed_runs = []  # one entry per ctest call: the names of the tests that failed
real_run = subprocess.run


def run(cmd, *a, **kw):
    try:
        p = real_run(cmd, *a, **kw)
    except subprocess.TimeoutExpired:
        if cmd and cmd[0] == "ctest":
            failed_runs.append(["(the whole run timed out)"])
        raise
    if cmd and cmd[0] == "ctest":
        text = (p.stdout or "") + (p.stderr or "")
        failed_runs.append(re.findall(r"^\s*\d+ - (\S+) \(", text, re.M))
    return p


subprocess.run = run
sys.argv = [tool, "run", "--src", os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))] + args
try:
    runpy.run_path(tool, run_name="__main__")
finally:
    rows = [l.rstrip("\n").split("\t") for l in open(out) if l[:1].isdigit()]
    tested = [r for r in rows if r[1] in ("killed", "survived")]
    with open(out + ".killers", "w") as k:
        for r, names in zip(tested, failed_runs[1:]):  # the first ctest is the baseline
            if r[1] == "killed":
                k.write(f"{r[0]}\t{r[2]}\t{' '.join(sorted(names)) or '(timeout)'}\n")
