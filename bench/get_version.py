#!/usr/bin/env python3
"""Times `velotrax --get-version` against bare_version, which only loads the libraries and the
bridge and calls hgetsystem, side by side in one hyperfine run; `velotrax --version` runs too,
to show what velotrax's own start-up costs before any binding work.

Goal: velotrax takes at most 1.2 times the bare program's time plus 5 ms.

    get_version.py VELOTRAX BARE_VERSION HALCONROOT BRIDGE
"""
import json
import os
import subprocess
import sys
import tempfile

velotrax, bare, root, bridge = sys.argv[1:5]
commands = [f"{velotrax} --get-version", f"{bare} {root} {bridge}", f"{velotrax} --version"]
with tempfile.NamedTemporaryFile(suffix=".json") as report:
    subprocess.run(["hyperfine", "-N", "--warmup", "20", "--runs", "300",
                    "--export-json", report.name, *commands],
                   env=dict(os.environ, HALCONROOT=root), check=True)
    results = json.load(open(report.name))["results"]

# Medians: a shared machine's scheduling noise lands in the tail that moves the mean.
ours, reference, start_up = (r["median"] * 1000 for r in results)
print(f"median: velotrax --get-version {ours:.2f} ms, bare {reference:.2f} ms "
      f"({ours / reference:.2f}x, {ours - reference:+.2f} ms); velotrax --version "
      f"{start_up:.2f} ms")
allowed = 1.2 * reference + 5
print(f"goal: at most 1.2 x {reference:.2f} + 5 = {allowed:.2f} ms:",
      "met" if ours <= allowed else "missed")
sys.exit(0 if ours <= allowed else 1)
