"""Runs the built programs as a user would: natively, or as Windows programs under Wine.

VELOTRAX_BIN names the directory of the programs; VELOTRAX_LAUNCHER, when set, is the command
that starts them (wine). One Wine prefix serves the whole run: WINEPREFIX's, or one made here.
"""
import os
import re
import select
import subprocess
import tempfile
import time
import warnings

import pytest

BIN = os.environ["VELOTRAX_BIN"]
LAUNCHER = os.environ.get("VELOTRAX_LAUNCHER", "")
WINDOWS = LAUNCHER != ""
# Bounds each program run; a whole test is bounded by pytest-timeout (see CMakeLists.txt).
TIMEOUT = 30
# Wine failing to start a program is retried, but only this often in one test process (a
# parallel run has one per worker).
MAX_SILENT_STARTS = 2
_silent_starts = []


def native_path(path):
    """A path as the programs under test spell it: Z:\\... under Wine."""
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


# The build's installation tree, which every run uses unless a test says otherwise.
HALCONROOT = os.path.join(os.path.dirname(os.path.abspath(BIN)), "halconroot")

_base_env = {k: v for k, v in os.environ.items()
             if k not in ("CLICOLOR_FORCE", "NO_COLOR", "DISPLAY", "VELOTRAX_IS_SLAVE")}
_base_env["WINEDEBUG"] = "-all"
_base_env["HALCONROOT"] = native_path(HALCONROOT)


class Result:
    def __init__(self, status, out, err):
        self.status, self.out, self.err = status, out, err

    def __repr__(self):
        return f"Result(status={self.status}, out={self.out!r}, err={self.err!r})"


def command(program, args):
    path = os.path.join(BIN, program + (".exe" if WINDOWS else ""))
    return ([LAUNCHER] if LAUNCHER else []) + [path] + list(args)


def environment(extra=None):
    env = dict(_base_env)
    env.update(extra or {})
    return {k: v for k, v in env.items() if v is not None}


# AddressSanitizer's once-per-process notice that it does not fully support the engine's stack
# switching (swapcontext): not the program's output. Real findings still show and fail.
_SANITIZER_NOTICE = re.compile(rb"==\d+==WARNING: ASan doesn't fully support makecontext/"
                               rb"swapcontext functions and may produce false positives in some "
                               rb"cases!\r?\n")


def text(data):
    """Windows programs write CRLF line ends in text mode; compare texts by their content."""
    decoded = _SANITIZER_NOTICE.sub(b"", data).decode("utf-8", errors="surrogateescape")
    return decoded.replace("\r\n", "\n") if WINDOWS else decoded


_NOT_COLOUR = re.compile(rb"\x1b\[[0-9;?]*[A-Za-ln-z]|\x1b\][^\x07]*\x07|\r")


def shown_text(raw):
    """What a terminal showed, without cursor movements and carriage returns: the text and its
    colour escapes. Wine's console redraws with many of those; a native program writes none."""
    return _NOT_COLOUR.sub(b"", _SANITIZER_NOTICE.sub(b"", raw))


def squeezed(data):
    """Text without any white space: Wine's console redraws blanks and wraps long lines."""
    return re.sub(rb"\s+", b"", data)


def completed(argv, **options):
    """subprocess.run with no standard input and a timeout. Under Wine, a start that ends with
    status 1 and no output at all, not even on a program's first line, is Wine failing to start
    the program: such a run is repeated once and counted, and the start past MAX_SILENT_STARTS
    fails its test, naming every one."""
    done = subprocess.run(argv, stdin=subprocess.DEVNULL, timeout=TIMEOUT, **options)
    if WINDOWS and done.returncode == 1 and not done.stdout and not done.stderr:
        _silent_starts.append(argv)
        if len(_silent_starts) > MAX_SILENT_STARTS:
            pytest.fail(f"Wine failed to start a program {len(_silent_starts)} times:\n  "
                        + "\n  ".join(map(str, _silent_starts)))
        warnings.warn(f"Wine could not start the program; ran again: {argv}")
        done = subprocess.run(argv, stdin=subprocess.DEVNULL, timeout=TIMEOUT, **options)
    return done


def run(program, *args, env=None, cwd=None):
    """Runs with standard output and error redirected to pipes and no standard input."""
    done = completed(command(program, args), capture_output=True, env=environment(env), cwd=cwd)
    return Result(done.returncode, text(done.stdout), text(done.stderr))


def run_on_terminal(program, *args, stdout="terminal", stderr="terminal", env=None,
                    answer=None):
    """Runs on a pseudo-terminal. Streams not on the terminal go to pipes. Returns the status,
    the raw bytes the terminal showed, and the piped output as text (out, err)."""
    import pty
    master, slave = pty.openpty()
    targets = {"terminal": slave, "pipe": subprocess.PIPE}
    proc = subprocess.Popen(command(program, args), stdin=slave, stdout=targets[stdout],
                            stderr=targets[stderr], env=environment(env), close_fds=True)
    os.close(slave)
    if answer is not None:
        time.sleep(0.5)
        os.write(master, answer)
    shown = bytearray()
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], 0.1)
        if ready:
            try:
                chunk = os.read(master, 65536)
            except OSError:  # the terminal closed: every writer is gone
                break
            if not chunk:
                break
            shown += chunk
        elif proc.poll() is not None and not select.select([master], [], [], 0.2)[0]:
            break
    out, err = proc.communicate(timeout=TIMEOUT)
    os.close(master)
    return Result(proc.returncode, bytes(shown), (text(out or b""), text(err or b"")))


def pytest_configure(config):
    config.addinivalue_line(
        "markers", "syscall_trace: traces the program's system calls, which a sanitizer's runtime "
        "adds to (its own ctest case, labelled syscall_trace)")


@pytest.fixture(scope="session", autouse=True)
def wine_prefix():
    """One Wine prefix for the whole run, with its server kept alive so programs start fast."""
    if not WINDOWS:
        yield None
        return
    if os.environ.get("WINEPREFIX"):  # the test run made one for every Windows test
        yield os.environ["WINEPREFIX"]
        return
    prefix = tempfile.mkdtemp(prefix="velotrax-wine-")
    _base_env["WINEPREFIX"] = prefix
    script = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "wine-prefix.sh")
    try:
        subprocess.run([script, "start", prefix], check=True, timeout=300)
        yield prefix
    finally:
        subprocess.run([script, "stop", prefix], timeout=60)
