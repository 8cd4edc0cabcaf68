"""Scripts the runner was not developed against, each with its whole console output: programs
with local procedures, libraries, imports two levels deep, and runtime errors in nested calls.

Each directory in scripts/ holds the script files, `args` (the command line after the options
every run here gets, one argument per line; run from that directory) and `expected` (what the
console shows, with the directory as <dir>, times as N and the exit status last). After a
deliberate change, VELOTRAX_UPDATE_EXPECTED=1 rewrites the expected files; review their diff.
"""
import os

import pytest

from runs import SCRIPTS, console, normalised

CASES = sorted(name for name in os.listdir(SCRIPTS) if os.path.isdir(os.path.join(SCRIPTS, name)))


def read(path):
    with open(path, encoding="utf-8", newline="") as f:
        return f.read()


@pytest.mark.parametrize("case", CASES)
def test_whole_console_output(case):
    directory = os.path.join(SCRIPTS, case)
    args = read(os.path.join(directory, "args")).splitlines()
    r = console(*args, cwd=directory)
    shown = normalised(r.out, dir=directory) + f"[exit status {r.status}]\n"
    expected = os.path.join(directory, "expected")
    if os.environ.get("VELOTRAX_UPDATE_EXPECTED"):
        with open(expected, "w", encoding="utf-8", newline="\n") as f:
            f.write(shown)
    assert shown == read(expected)


def test_there_are_a_dozen_cases():
    assert len(CASES) >= 12
