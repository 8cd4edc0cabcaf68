"""Message boxes, the open-file dialog and the graphics windows of the Windows programs, on a
virtual display."""
import os
import subprocess
import tempfile
import time

import pytest

from conftest import TIMEOUT, WINDOWS, command, environment, native_path, text
from runs import printing, procedure, script, virtual_screen, write
from test_window_dump import DRAWING, assert_drawing_dumped

# One worker of a parallel run takes the whole module, so its screen and prefix are made once.
pytestmark = [pytest.mark.skipif(not WINDOWS, reason="Windows dialogs, shown by Wine under Xvfb"),
              pytest.mark.xdist_group("screen")]

DIALOG_TITLE = "Open HALCON program or procedure - Velotrax"
WINE_PREFIX_SCRIPT = os.path.join(os.path.dirname(__file__), "..", "..", "scripts",
                                  "wine-prefix.sh")
# The Wine prefix of the virtual display: the run's shared prefix keeps its desktop off-screen.
_screen_prefix = {}


def on_screen(display):
    return environment({"DISPLAY": display, **_screen_prefix})


@pytest.fixture(scope="module")
def display():
    server, screen = virtual_screen()
    prefix = tempfile.mkdtemp(prefix="velotrax-wine-screen-")
    keeper = None
    try:
        # Made on the display: a prefix's desktop stays on the screen it was made on.
        subprocess.run([WINE_PREFIX_SCRIPT, "start", prefix], check=True, timeout=300,
                       env=environment({"DISPLAY": screen}))
        _screen_prefix["WINEPREFIX"] = prefix
        # Wine's desktop process ends with the last window and takes seconds to start again; a
        # window kept open for the whole module keeps it, so each case starts at once.
        keeper = subprocess.Popen(["wine", "notepad"], env=on_screen(screen),
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        Session.wait_for_window_of(keeper, screen, ".* - Notepad")
        yield screen
    finally:  # also when the set-up itself failed
        if keeper is not None:
            keeper.kill()
            keeper.wait(timeout=30)
        subprocess.run([WINE_PREFIX_SCRIPT, "stop", prefix], timeout=60)
        _screen_prefix.clear()
        server.terminate()
        server.wait(timeout=30)


class Session:
    """A program running on the virtual display, with the windows it shows."""

    def __init__(self, display, *args):
        self.env = on_screen(display)
        self.proc = subprocess.Popen(command("velotrax", args), stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     env=self.env)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=TIMEOUT)

    def wait_for_window(self, name):
        """The id of the visible window whose title is exactly name."""
        return Session.wait_for_window_of(self.proc, self.env["DISPLAY"], name)

    @staticmethod
    def wait_for_window_of(proc, display, name, timeout=60):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                                   env=on_screen(display), capture_output=True,
                                   text=True, timeout=TIMEOUT).stdout.split()
            if found:
                return found[0]
            assert proc.poll() is None, f"ended without showing {name!r}"
            time.sleep(0.1)
        pytest.fail(f"no window {name!r} appeared")

    def focus(self, window):
        # Xvfb runs no window manager: give the window the input focus directly, then type
        # through XTEST, which Wine takes like a real keyboard.
        self.xdotool("windowfocus", "--sync", window)

    def press(self, window, *keys):
        self.focus(window)
        self.xdotool("key", *keys)
        self.wait_gone(window)

    def type(self, window, typed):
        self.focus(window)
        self.xdotool("type", "--delay", "30", typed)

    def wait_gone(self, window, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            visible = self.xdotool("search", "--onlyvisible", "--name", ".").stdout.split()
            if window not in visible:
                return
            time.sleep(0.1)
        pytest.fail(f"window {window} stayed open")

    def finish(self):
        out, err = self.proc.communicate(timeout=TIMEOUT)
        return self.proc.returncode, text(out), text(err)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=TIMEOUT)


@pytest.fixture
def session(display):
    sessions = []

    def start(*args):
        sessions.append(Session(display, *args))
        return sessions[-1]

    yield start
    for s in sessions:
        s.close()


def test_option_error_box_then_error_notice(session):
    s = session("--frobnicate", "x.hdev")
    s.press(s.wait_for_window("Velotrax"), "Return")  # the option error
    s.press(s.wait_for_window("Velotrax"), "Return")  # the end-of-run notice
    status, out, _ = s.finish()
    assert (status, out) == (1, "")


def test_no_dialogs_suppresses_the_notice(session):
    s = session("--no-dialogs", "x.hdev")
    status, out, err = s.finish()
    assert status == 1 and out == "Velotrax 1.0.4\n\n" and "Execution of program x.hdev failed." in err


def test_the_open_dialog_returns_the_typed_name(session):
    s = session()
    dialog = s.wait_for_window(DIALOG_TITLE)
    s.type(dialog, "lib.hdpl:proc")
    s.press(dialog, "Return")
    s.press(s.wait_for_window("Velotrax"), "Return")  # the run failed: error notice
    status, out, err = s.finish()
    assert status == 1
    assert out == "Velotrax 1.0.4\n\n"
    assert "Execution of procedure proc failed." in err


def test_a_cancelled_dialog_prints_usage(session):
    s = session()
    s.press(s.wait_for_window(DIALOG_TITLE), "Escape")
    s.press(s.wait_for_window("Velotrax"), "Return")
    status, out, _ = s.finish()
    assert status == 1 and out.startswith("usage: velotrax  [options]")


def test_the_script_chosen_in_the_dialog_is_run_by_the_separate_child(session, tmp_path):
    write(tmp_path, "hello.hdvp", script(procedure("hello", printing("'hello'"))))
    s = session("-s", "--no-default-window")
    dialog = s.wait_for_window(DIALOG_TITLE)
    s.type(dialog, native_path(str(tmp_path / "hello.hdvp")))
    s.press(dialog, "Return")
    s.press(s.wait_for_window("Velotrax"), "Return")  # the notice after a chosen script's run
    status, out, _ = s.finish()
    assert status == 0
    assert out.count("hello\n") == 1


def test_screen_windows_are_dumped(session, tmp_path):
    write(tmp_path, "draw.hdev", script(procedure("main", DRAWING)))
    s = session("--no-dialogs", "--no-default-window", "--dump-windows",
                native_path(str(tmp_path / "out")), native_path(str(tmp_path / "draw.hdev")))
    status, _, err = s.finish()
    assert status == 0, err
    # The script lies outside the start directory: its file name alone.
    assert_drawing_dumped(tmp_path / "out", "draw.hdev-main")
