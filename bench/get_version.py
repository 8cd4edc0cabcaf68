#!/usr/bin/env python3
"""Times `velotrax --get-version` against bare_version, which only loads the libraries and the
bridge and calls hgetsystem, side by side in one hyperfine run, and checks the goal: velotrax
takes at most 1.2 times as long and at most 5 ms more.

    get_version.py VELOTRAX BARE_VERSION HALCONROOT BRIDGE
"""
import json
import os
import subprocess
import sys
import tempfile

velotrax, bare, root, bridge = sys.argv[1:5]
env = dict(os.environ, HALCONROOT=root)
with tempfile.NamedTemporaryFile(suffix=".json") as report:
    subprocess.run(["hyperfine", "-N", "--warmup", "20", "--runs", "300",
                    "--export-json", report.name,
                    f"{velotrax} --get-version", f"{bare} {root} {bridge}"],
                   env=env, check=True)
    results = json.load(open(report.name))["results"]
# Medians: a shared machine's scheduling noise lands in the tail that moves the mean.
for measure in ("mean", "median"):
    ours, reference = (r[measure] * 1000 for r in results)
    print(f"{measure}: velotrax --get-version {ours:.2f} ms, bare {reference:.2f} ms: "
          f"{ours / reference:.2f}x, {ours - reference:+.2f} ms")
ratio, extra = ours / reference, ours - reference
print("goal (median): at most 1.20x and +5 ms:", "met" if ratio <= 1.2 and extra <= 5 else "missed")
sys.exit(0 if ratio <= 1.2 and extra <= 5 else 1)
