#!/usr/bin/env python3
"""Times 1,000 trivial checks: one velotrax call per script from a shell loop, against one
`velotrax --all` call with --jobs 1 and with the default (one per core), side by side in one
hyperfine run. Two shell loops over the halves at once show what the machine itself gains from
a second core.

Goals: with --jobs 1 the batch is no slower than the loop; with the default jobs it takes at most
0.6 of the loop's time.

    batch.py VELOTRAX HALCONROOT
"""
import json
import os
import subprocess
import sys
import tempfile

velotrax, root = sys.argv[1:3]
SCRIPT = ('<?xml version="1.0" encoding="UTF-8"?>\n'
          '<hdevelop file_version="1.1" halcon_version="13.0">\n'
          '<procedure name="main">\n<interface/>\n<body>\n<l>A := {n}</l>\n</body>\n'
          '<docu id="main">\n<parameters/>\n</docu>\n</procedure>\n</hdevelop>\n')

with tempfile.TemporaryDirectory() as folder, tempfile.NamedTemporaryFile(suffix=".json") as out:
    for n in range(1000):
        with open(os.path.join(folder, f"check{n:04d}.hdev"), "w") as f:
            f.write(SCRIPT.format(n=n))
    quiet = "--no-dialogs --no-default-window -c"
    loop = 'for f in {}; do ' + velotrax + ' ' + quiet + ' "$f" >/dev/null || exit 1; done'
    halves = (f"{folder}/check0*.hdev {folder}/check1*.hdev {folder}/check2*.hdev "
              f"{folder}/check3*.hdev {folder}/check4*.hdev",
              " ".join(f"{folder}/check{d}*.hdev" for d in range(5, 10)))
    commands = [
        loop.format(f"{folder}/*.hdev"),
        f"{velotrax} {quiet} --all {folder} --jobs 1 >/dev/null",
        f"{velotrax} {quiet} --all {folder} >/dev/null",
        f"({loop.format(halves[0])}) & ({loop.format(halves[1])}) & wait",
    ]
    subprocess.run(["hyperfine", "--warmup", "1", "--runs", "5", "--export-json", out.name,
                    "-n", "shell loop", "-n", "batch, --jobs 1", "-n", "batch, default jobs", "-n", "two shell loops at once", *commands],
                   env=dict(os.environ, HALCONROOT=root), check=True)
    loop, serial, parallel, floor = (r["median"] for r in json.load(open(out.name))["results"])

print(f"median: loop {loop:.2f} s, --all --jobs 1 {serial:.2f} s ({serial / loop:.2f}x), "
      f"--all {parallel:.2f} s ({parallel / loop:.2f}x) on {os.cpu_count()} cores; two loops at "
      f"once {floor:.2f} s ({floor / loop:.2f}x)")
met = serial <= loop and parallel <= 0.6 * loop
print("goals: --jobs 1 at most the loop's time, the default at most 0.6 of it:",
      "met" if met else "missed")
sys.exit(0 if met else 1)
