#!/usr/bin/env python3
"""Cuts a script on which the two builds part down to a few lines: steps after "start" are taken out,
in halves, then quarters, down to single lines, for as long as the Linux run stays clean and the Wine
run still differs. The set-up before "start" stays. Writes SCRIPT.reduced.brio beside it.
Usage: reduce.py LINUX_BUILD_DIR WIN_BUILD_DIR SCRIPT.brio
"""
import os
import subprocess
import sys


def differs(compare, linux, win, path, lines):
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    run = subprocess.run([compare, linux, win, path], capture_output=True, text=True)
    last = run.stdout.strip().splitlines()[-1:] or [""]
    # Only a difference under Wine counts: a cut that breaks the script on Linux is no reduction.
    return run.returncode != 0 and last[0].startswith("Wine:")


def main():
    linux, win, script = sys.argv[1:4]
    compare = os.path.join(os.path.dirname(os.path.abspath(__file__)), "compare.sh")
    lines = open(script).read().splitlines()
    start = lines.index("start") + 1
    head, steps = lines[:start], lines[start:]
    trial = os.path.splitext(script)[0] + ".reduced.brio"
    # A Wine prefix of the reductions' own, beside the script: a differential run started at the same
    # time keeps its own wineserver (two reductions in one folder take turns on this one).
    folder = os.path.dirname(os.path.abspath(script))
    os.environ.setdefault("WINEPREFIX", os.path.join(folder, "reduce-wineprefix"))
    if not differs(compare, linux, win, trial, head + steps):
        sys.exit("the builds agree on this script: nothing to reduce")
    size = max(1, len(steps) // 2)
    while True:
        i, cut = 0, False
        while i < len(steps):
            candidate = steps[:i] + steps[i + size:]
            if differs(compare, linux, win, trial, head + candidate):
                steps, cut = candidate, True
                print(f"{len(steps)} steps left", flush=True)
            else:
                i += size
        if size == 1 and not cut:
            break
        size = max(1, size // 2)
    differs(compare, linux, win, trial, head + steps)  # leave the smallest script and its transcripts
    print(f"{trial}: {len(steps)} steps after the set-up")


if __name__ == "__main__":
    main()
