"""Times one velotrax run of a trivial procedure against a bare program that loads the bridge
and runs the same procedure through its exports, side by side in one hyperfine run, and says
whether the runner stays within 1.2 times the bare program's time plus 5 ms.

  compare_single_run.py VELOTRAX BARE_RUN BRIDGE_FILE HALCONROOT BENCH_DIR
"""
import json
import os
import subprocess
import sys
import tempfile

velotrax, bare, bridge, halconroot, bench = sys.argv[1:6]
env = dict(os.environ, HALCONROOT=halconroot)
commands = {
    "velotrax": [velotrax, "--no-dialogs", "--no-default-window",
                 os.path.join(bench, "add_two.hdvp"), "2", "3"],
    "bare bridge program": [bare, bridge, bench, "add_two", "2", "3"],
}
for name, cmd in commands.items():  # both must work before they are timed
    done = subprocess.run(cmd, env=env, capture_output=True, text=True)
    if done.returncode != 0 or "Sum: 5" not in done.stdout:
        sys.exit(f"{name} failed: {done.stdout}{done.stderr}")

with tempfile.NamedTemporaryFile(suffix=".json") as report:
    subprocess.run(["hyperfine", "--shell=none", "--warmup", "5", "--runs", "50",
                    "--export-json", report.name]
                   + [arg for name, cmd in commands.items()
                      for arg in ("--command-name", name, " ".join(cmd))],
                   env=env, check=True)
    results = {r["command"]: r for r in json.load(open(report.name))["results"]}

runner = results["velotrax"]["median"] * 1000
base = results["bare bridge program"]["median"] * 1000
goal = base * 1.2 + 5
print(f"\nmedian: velotrax {runner:.2f} ms, bare bridge program {base:.2f} ms: "
      f"{runner / base:.2f} times, {runner - base:+.2f} ms "
      f"(goal: at most 1.2 times plus 5 ms, {goal:.2f} ms): "
      + ("met" if runner <= goal else "NOT met"))
