"""Engine configuration seen from outside, on a real procedure: the verbose trace in order, the
procedure path and attributes the bridge receives (through the recording bridge), and a
debugger client connecting to the stand-in's debug port."""
import os
import shutil
import socket
import subprocess
import time

from binding_support import BRIDGES, PROGRAM, REAL_BRIDGE, run_copy
from conftest import TIMEOUT, command, environment, native_path, run

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
DEBUG_CALLS = ("hsetEngineAttribute \"debug", "hsetEngineAttributeInt \"debug",
               "hstartDebugServer")


def procedure(tmp_path):
    """fibonacci.hdvp in a directory of its own; returns that directory."""
    directory = tmp_path / "scripts"
    directory.mkdir()
    shutil.copy(os.path.join(EXAMPLES, "fibonacci.hdvp"), directory)
    return directory


def recorded(tmp_path, *args, cwd):
    log = tmp_path / "calls.log"
    log.unlink(missing_ok=True)
    r = run_copy(os.path.join(BRIDGES, "recording", PROGRAM), *args, cwd=cwd, env={
        "VELOTRAX_BRIDGE_TARGET": native_path(REAL_BRIDGE),
        "VELOTRAX_BRIDGE_LOG": native_path(str(log))})
    calls = [line for line in log.read_text().splitlines() if not line.startswith("mapped ")]
    return r, calls


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def test_verbose_trace_follows_the_order_of_configuration(tmp_path):
    directory = procedure(tmp_path)
    port = free_port()
    r = run("velotrax", "-v", "--no-dialogs", "--no-default-window", "--procedures-path",
            native_path(str(tmp_path)), "--debug", "--debug-port", str(port),
            "--ignore-invalid-lines", "--execute-procedures-jit-compiled", "fibonacci.hdvp", "5",
            cwd=directory)
    assert r.status == 0, r
    path = native_path(str(directory)) + ";" + native_path(str(tmp_path))
    expected = ["Loading HALCON library",
                f"Setting HDevEngine procedure path: {path}",
                f"Setting HDevEngine debugger on port {port}",
                f"HDevEngine debugger on port {port} started.",
                'Setting HDevEngine attribute "ignore_invalid_lines" to 1',
                'Setting HDevEngine attribute "execute_procedures_jit_compiled" to 1']
    lines = r.out.splitlines()
    assert [line for line in lines if line in expected] == expected
    assert lines.index(expected[-1]) < lines.index("output control parameters:")


def test_the_bridge_receives_the_path_once_and_only_the_attributes_asked_for(tmp_path):
    directory = procedure(tmp_path)
    r, calls = recorded(tmp_path, "--no-dialogs", "--no-default-window", "--debug-port", "4000",
                        "--debug-password", "pw", "--debug-wait-for-connection",
                        "--ignore-unresolved-lines", "fibonacci.hdvp", "5", cwd=directory)
    assert r.status == 0, r
    configuration = [call for call in calls
                     if call.startswith(("haddProcedurePath", "hsetEngineAttribute",
                                         "hstartDebugServer"))]
    assert configuration == [f'haddProcedurePath "{native_path(str(directory))}"',
                             'hsetEngineAttributeInt "ignore_unresolved_lines" 1']
    assert not any(call.startswith(DEBUG_CALLS) for call in calls)


def test_a_debugger_connects_to_the_engine_on_loopback(tmp_path):
    directory = procedure(tmp_path)
    port = free_port()
    # The first execution waits until a debugger is attached.
    runner = subprocess.Popen(
        command("velotrax", ["--no-dialogs", "--no-default-window", "--debug", "--debug-port",
                             str(port), "--debug-wait-for-connection", "fibonacci.hdvp", "5"]),
        cwd=directory, env=environment(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
        stderr=subprocess.PIPE)
    try:
        deadline = time.monotonic() + 60
        while True:
            try:
                client = socket.create_connection(("127.0.0.1", port), timeout=10)
                break
            except OSError:
                assert runner.poll() is None, runner.communicate(timeout=TIMEOUT)
                assert time.monotonic() < deadline, "the debug port never opened"
                time.sleep(0.1)
        with client:
            greeting = client.makefile("r").readline()
            out, err = runner.communicate(timeout=60)
    finally:
        if runner.poll() is None:
            runner.kill()
            runner.wait(timeout=TIMEOUT)
    assert greeting == "OK HDevEngine 13.0.1\n"
    assert runner.returncode == 0, err
    assert b"Value: 5" in out


def test_the_separate_mode_parent_configures_nothing(tmp_path):
    directory = procedure(tmp_path)
    _, calls = recorded(tmp_path, "--no-dialogs", "-s", "--debug", "--ignore-invalid-lines",
                        "fibonacci.hdvp", "5", cwd=directory)
    configuration = {"hinit", "hsetVerbosity", "hsetFullscreen", "hsetStdOutHandler",
                     "hsetStdErrHandler", "hopenDefaultWindow", "haddProcedurePath",
                     "hsetEngineAttribute", "hsetEngineAttributeInt", "hstartDebugServer"}
    parent = [call.split(" ")[0] for call in calls if not call.startswith("child ")]
    assert not configuration & set(parent), parent
