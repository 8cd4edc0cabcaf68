"""FIFOs and endless devices where script, library and registry files are expected: named by the
user they are refused with a clear error, met by a search they are passed over; nothing waits
for a writer or reads without end."""
import os
import subprocess

import pytest

from conftest import TIMEOUT, WINDOWS, Result, command, environment, text
from runs import HALCONROOT, QUIET, procedure, script, write

pytestmark = pytest.mark.skipif(WINDOWS, reason="FIFOs and device links are POSIX file types")

# Each of these runs takes well under a second; one that waits on a FIFO never ends.
DEADLINE = TIMEOUT


def velotrax(*args, cwd=None, env=None):
    try:
        done = subprocess.run(command("velotrax", QUIET + args), stdin=subprocess.DEVNULL,
                              capture_output=True, cwd=cwd, timeout=DEADLINE,
                              env=environment({"HALCONROOT": HALCONROOT, **(env or {})}))
    except subprocess.TimeoutExpired:
        pytest.fail(f"velotrax {' '.join(args)} did not end within {DEADLINE} s")
    return Result(done.returncode, text(done.stdout), text(done.stderr))


@pytest.mark.parametrize("kind", ["fifo", "zero"])
def test_a_script_that_is_no_regular_file_is_refused(tmp_path, kind):
    path = tmp_path / "main.hdev"
    if kind == "fifo":
        os.mkfifo(path)
    else:
        path.symlink_to("/dev/zero")
    r = velotrax(str(path))
    assert r.status == 1
    assert r.err.splitlines()[-1] == f"script {path} is not a regular file"


def test_a_fifo_met_by_the_error_report_search_is_passed_over(tmp_path):
    # The failing procedure is in a library on the procedure path, so the search looks through
    # the script's directory, where a FIFO is named like a library, before it finds it.
    write(tmp_path, "main.hdev", script(procedure("main", ["p ()"])))
    write(tmp_path, "path/z.hdpl", script(procedure("p", ["A := 1", "B := A / 0"])))
    os.mkfifo(tmp_path / "lib.hdpl")
    r = velotrax("-v", "--procedures-path", str(tmp_path / "path"), str(tmp_path / "main.hdev"))
    assert r.status == 1
    assert f'remark: file "{tmp_path}/lib.hdpl" cannot be read (not a regular file). Ignored.' \
        in r.err.splitlines()
    assert "B := A / 0 <------------" in r.err


def test_a_fifo_as_the_registry_file_is_refused(tmp_path):
    registry = tmp_path / "registry.reg"
    os.mkfifo(registry)
    r = velotrax("--halconversion", "13.0", "--get-version", env={"VELOTRAX_REGISTRY": str(registry)})
    assert r.status == 1
    assert f"warning: registry file {registry} cannot be read: not a regular file" in r.err
