"""Engine start and configuration seen from outside: the bridge calls a run makes, as the
recording bridge logs them, and the verbose trace."""
import os

from binding_support import BRIDGES, PROGRAM, REAL_BRIDGE, run_copy
from conftest import native_path

START = ["hinit 0", "hsetVerbosity 0", "hsetFullscreen 0", "hsetStdOutHandler ptr",
         "hsetStdErrHandler ptr"]


def recorded(tmp_path, *args):
    """Runs velotrax over the recording bridge in tmp_path; returns the result and the calls."""
    log = tmp_path / "calls.log"
    log.unlink(missing_ok=True)
    r = run_copy(os.path.join(BRIDGES, "recording", PROGRAM), *args, cwd=tmp_path, env={
        "VELOTRAX_BRIDGE_TARGET": native_path(REAL_BRIDGE),
        "VELOTRAX_BRIDGE_LOG": native_path(str(log))})
    lines = log.read_text().splitlines() if log.exists() else []
    return r, [line for line in lines if not line.startswith("mapped ")]


def names(calls):
    return [call.split(" ")[0] for call in calls]


def test_version_query_starts_the_engine_without_a_window(tmp_path):
    r, calls = recorded(tmp_path, "--get-version")
    assert (r.status, r.out) == (0, "halconversion:13.0.1\n")
    assert calls[:6] == START + ['hgetsystem "version" ptr']
    assert "hopenDefaultWindow" not in names(calls)
    assert calls[-1] == "hfreeTuple ptr"


def test_a_run_opens_the_default_window_unless_told_not_to(tmp_path):
    r, calls = recorded(tmp_path, "--no-dialogs", "x.hdev")
    assert r.status == 1
    assert calls[:6] == START + ["hopenDefaultWindow"]
    r, calls = recorded(tmp_path, "--no-dialogs", "--no-default-window", "-v", "-f", "x.hdev")
    assert r.status == 1
    assert calls[:5] == ["hinit 0", "hsetVerbosity 1", "hsetFullscreen 1",
                         "hsetStdOutHandler ptr", "hsetStdErrHandler ptr"]
    assert "hopenDefaultWindow" not in names(calls)


def test_verbose_trace_of_preparation_and_start_in_order(tmp_path):
    r, _ = recorded(tmp_path, "--no-dialogs", "-v", "x.hdev")
    lines = r.out.splitlines()
    order = [next(i for i, line in enumerate(lines) if line.startswith(start)) for start in (
        "Velotrax 1.0.4", "Setting search path for HALCON shared libraries to ",
        "Using HALCON library with the following relevant environment variables:",
        "Loading HALCON library")]
    assert order == sorted(order)
