"""Watch mode and separate mode, seen from outside: runs again on a change or a key, ESC, the
child process of separate mode, the watch's messages, and the faults mended on the way.

Natively the runner sits on a pseudo-terminal, so keys can be typed; under Wine it writes to a
pipe and has no keys, so a session there ends by ending the process."""
import os
import pty
import re
import select
import shutil
import subprocess
import tempfile
import time

import pytest

from conftest import TIMEOUT, WINDOWS, command, environment, shown_text
from runs import BANNER, HALCONROOT, QUIET, native, procedure, script, write

WATCHING = ("Watching for directory changes or key presses in the console window... "
            "Press 'ESC' to exit.")
HINT = ("This problem might e.g. occur if the network redirector or the target file system does "
        "not support file change notifications. In this case, try to copy the files to be "
        "watched to a local directory and try again.")
ESC = b"\x1b"
SUCCEEDED = "Execution of procedure slow succeeded."
FAILED = "Execution of procedure slow failed."
TIMED = re.compile(r"Execution of procedure slow succeeded \(\d+ms\)\.")

keys_only = pytest.mark.skipif(WINDOWS, reason="keys are typed on a pseudo-terminal (Linux)")


class Session:
    """The runner in watch mode, read while it writes: on a pseudo-terminal natively, through a
    pipe under Wine. Standard output and error arrive in the order they were written."""

    def __init__(self, *args, cwd, as_nobody=False):
        env = environment({"HALCONROOT": HALCONROOT})
        become = None
        if as_nobody:
            def become():
                os.setgid(65534)
                os.setuid(65534)
        if WINDOWS:
            reading, writing = os.pipe()
            stdin, stdout = subprocess.DEVNULL, writing
        else:
            reading, writing = pty.openpty()
            stdin = stdout = writing
        self.proc = subprocess.Popen(command("velotrax", QUIET + args), stdin=stdin,
                                     stdout=stdout, stderr=stdout, cwd=cwd, env=env,
                                     close_fds=True, preexec_fn=become)
        os.close(writing)
        self.fd = reading
        self.cwd = cwd
        self.shown = b""
        self.status = None

    def text(self):
        return shown_text(self.shown).decode("utf-8", "replace")

    def count(self, part):
        return self.text().count(part)

    def _read(self, timeout):
        if self.fd is None:
            return False
        if select.select([self.fd], [], [], timeout)[0]:
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:  # the terminal closed: every writer is gone
                chunk = b""
            if chunk:
                self.shown += chunk
                return True
            os.close(self.fd)
            self.fd = None
        return False

    def wait_until(self, condition, what, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise AssertionError(f"never saw {what}; shown:\n{self.text()}")
            if self.fd is None:  # all output is in; the process may still be ending
                if self.proc.poll() is not None and not condition():
                    raise AssertionError(f"never saw {what}; shown:\n{self.text()}")
                time.sleep(0.05)
            self._read(0.05)

    def wait_for(self, part, times=1):
        self.wait_until(lambda: self.count(part) >= times, f"{part!r} {times} times")

    def quiet_for(self, seconds):
        """Reads whatever comes in the next `seconds`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self._read(0.05)

    def type(self, keys):
        os.write(self.fd, keys)

    def end(self):
        """Waits for the runner to end by itself, reading what it writes; its exit status."""
        self.wait_until(lambda: self.proc.poll() is not None, "the end of the runner")
        while self._read(0.2):
            pass
        self.status = self.proc.returncode
        return self.status

    def stop(self):
        """Ends the runner from outside, as a console's close or Ctrl+C would, and with it its
        child. Output is read meanwhile, so no writer is held up by a full terminal."""
        if self.proc.poll() is None:
            self.proc.terminate()
        self.wait_until(lambda: self.proc.poll() is not None, "the end of the runner")
        return self.end()

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=TIMEOUT)
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None


@pytest.fixture
def scene(tmp_path):
    """A script directory with slow.hdvp (waits Seconds, returns them) and chatter.hdvp (writes
    "tick" lines until ended), a sibling directory to save drafts in, and sessions closed at the
    end of the test."""
    class Scene:
        directory = tmp_path / "scripts"
        drafts = tmp_path / "drafts"
        sessions = []

        def start(self, *args, **options):
            session = Session(*args, cwd=str(self.directory), **options)
            self.sessions.append(session)
            return session

        def save(self, name="saved.txt"):
            """Saves a file in the script directory in one step: written elsewhere, renamed."""
            draft = self.drafts / name
            draft.write_text("saved")
            os.replace(draft, self.directory / name)

    scene = Scene()
    scene.drafts.mkdir()
    write(scene.directory, "slow.hdvp", script(procedure(
        "slow", ["wait_seconds (Seconds)", "Done := Seconds"], inputs=["Seconds"],
        outputs=["Done"])))
    write(scene.directory, "chatter.hdvp", script(procedure(
        "chatter", ["open_file ('standard', 'output', Out)", "while (true)",
                    "fwrite_string (Out, 'tick')", "fnew_line (Out)", "wait_seconds (0.001)",
                    "endwhile"])))
    yield scene
    for session in scene.sessions:
        session.close()


def finish(session):
    """Ends a session: ESC on a terminal (exit status 0 expected), the process under Wine."""
    if WINDOWS:
        session.stop()
        return
    session.type(ESC)
    assert session.end() == 0


class TestChangesAndKeys:
    def test_a_change_runs_again(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)  # the watcher's, and the loop's after the result line
        assert s.count("Execution of procedure slow succeeded (") == 1
        scene.save()
        s.wait_for("Execution of procedure slow succeeded (", 2)
        finish(s)

    @keys_only
    def test_any_key_runs_again_and_escape_ends_with_status_0(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        s.type(b"a")
        s.wait_for("Execution of procedure slow succeeded (", 2)
        s.wait_for(WATCHING, 4)
        s.type(ESC)
        assert s.end() == 0
        assert s.count("Execution of procedure slow succeeded (") == 2

    @keys_only
    def test_an_arrow_key_is_one_key(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        s.type(b"\x1b[A")
        s.wait_for("Execution of procedure slow succeeded (", 2)
        s.quiet_for(0.5)
        assert s.count("Execution of procedure slow succeeded (") == 2
        finish(s)

    @keys_only
    def test_escape_typed_during_a_run_ends_after_its_result_line(self, scene):
        s = scene.start("-w", "slow.hdvp", "1.5")
        s.wait_for(WATCHING)  # the watcher watches: the run is under way
        s.type(ESC)  # the terminal echoes it as ^[ while the run has it line by line
        assert s.end() == 0
        shown = s.text()
        assert shown.count("Execution of procedure slow succeeded (") == 1
        assert shown.index("Execution of procedure slow succeeded (") < shown.rindex(WATCHING)
        assert shown.count(WATCHING) == 2

    def test_a_failing_run_keeps_watching(self, scene):
        s = scene.start("-w", "slow.hdvp")  # no argument for the one input: the run fails
        s.wait_for(FAILED)
        s.wait_for(WATCHING, 2)
        scene.save()
        s.wait_for(FAILED, 2)
        finish(s)

    def test_the_runners_own_reading_of_the_script_is_no_change(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        s.quiet_for(1.5)
        assert s.count("Execution of procedure slow succeeded (") == 1
        finish(s)


class TestSeparateMode:
    def test_a_change_kills_the_child_and_the_next_pass_starts(self, scene):
        s = scene.start("-w", "-s", "slow.hdvp", "60")
        s.wait_for(BANNER, 2)  # the child has started
        started = time.monotonic()
        scene.save()
        s.wait_for(SUCCEEDED + "\n")
        s.wait_for(BANNER, 3)  # the next pass's child
        assert time.monotonic() - started < 30
        shown = s.text()
        assert not TIMED.search(shown)  # the killed child wrote no result line
        s.stop()  # the next child runs for a minute; keys are read only between runs
        child_gone(s)

    def test_a_child_ending_by_itself_writes_its_own_result_line_too(self, scene):
        s = scene.start("-w", "-s", "-v", "slow.hdvp", "0")
        s.wait_for(SUCCEEDED + "\n")
        s.wait_for(WATCHING, 2)
        s.quiet_for(1)
        shown = s.text()
        child, parent = TIMED.search(shown), shown.index(SUCCEEDED + "\n")
        assert child and child.start() < parent
        # The child ran once although its command line holds --watch and --separate: one
        # banner of its own, no watch of its own, one "executing" line from the parent.
        assert shown.count(BANNER) == 2
        assert shown.count("executing script in separate process") == 1
        assert shown.count(WATCHING) == 2
        finish(s)

    def test_a_failing_child_gives_two_failed_lines(self, scene):
        s = scene.start("-w", "-s", "slow.hdvp")
        s.wait_for(FAILED, 2)
        finish(s)

    def test_the_killed_child_writes_nothing_after_the_parents_result_line(self, scene):
        s = scene.start("-w", "-s", "chatter.hdvp")
        s.wait_for("tick\n", 20)
        scene.save()
        s.wait_for("Execution of procedure chatter succeeded.\n")
        s.wait_for(BANNER, 3)  # the next child
        s.wait_for("tick\n", s.count("tick\n") + 5)
        shown = s.text()
        between = shown[shown.index("Execution of procedure chatter succeeded.\n"):
                        shown.index(BANNER, shown.index("Execution of procedure chatter"))]
        assert "tick" not in between
        # A child that never ends holds the loop in its run, where keys are not read: the
        # runner is ended from outside, and its child with it.
        s.stop()
        child_gone(s)


class TestSeparateWithoutWatch:
    def test_one_run_in_a_child_and_the_parents_result_line(self, scene):
        s = scene.start("-s", "slow.hdvp", "0")
        assert s.end() == 0
        shown = s.text()
        assert shown.count(BANNER) == 2
        assert TIMED.search(shown).start() < shown.index(SUCCEEDED + "\n")
        assert WATCHING not in shown

    def test_the_childs_failure_is_the_runs_failure(self, scene):
        s = scene.start("-s", "slow.hdvp")
        assert s.end() == 1
        assert s.count(FAILED) == 2


class TestWatchMessages:
    def test_the_hint_comes_once_in_the_life_of_the_runner(self, scene, tmp_path):
        missing = native(str(tmp_path / "missing"))
        s = scene.start("-w", "--watch-dirs", missing, "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        scene.save()
        s.wait_for("could not add directory", 2)
        s.wait_for(WATCHING, 4)
        skipped = (f'could not add directory "{missing}" to the list of watched directories. '
                   "Watch Mode for this directory will be ignored. ")
        assert s.count(skipped) == 2
        assert s.count(HINT) == 1
        finish(s)

    def test_verbose_watch_lines_in_list_order(self, scene, tmp_path):
        first, second = tmp_path / "first", tmp_path / "second"
        first.mkdir()
        second.mkdir()
        s = scene.start("-v", "-w", "--watch-dirs", native(str(second)), "--watch-dirs",
                        native(str(first)), "slow.hdvp", "0")
        s.wait_for("starting watch mode")
        lines = [line for line in s.text().splitlines()
                 if line.startswith("adding watch") or line == "starting watch mode"]
        assert lines == [f'adding watch for directory "{native(str(scene.directory))}"',
                         f'adding watch for directory "{native(str(second))}"',
                         f'adding watch for directory "{native(str(first))}"',
                         "starting watch mode"]
        finish(s)

    @pytest.mark.skipif(WINDOWS, reason="Wine lets every directory be read")
    def test_a_watch_that_fails_ends_with_status_0_after_the_run(self, scene):
        # Where the test runs as root, who reads every directory anyway, the runner runs as an
        # unprivileged user, in a directory of its own that user can reach.
        unprivileged = os.geteuid() == 0
        place = tempfile.mkdtemp(prefix="velotrax-watch-")
        try:
            os.chmod(place, 0o755)
            directory = os.path.join(place, "scripts")
            write(directory, "slow.hdvp", (scene.directory / "slow.hdvp").read_text())
            os.chmod(directory, 0o777)
            s = Session("-w", "slow.hdvp", "0.3", cwd=directory, as_nobody=unprivileged)
            scene.sessions.append(s)
            s.wait_for(WATCHING, 2)
            # Unreadable from now on: this change runs again, and the next watch cannot start.
            os.chmod(directory, 0o311)
            assert s.end() == 0
        finally:
            os.chmod(directory, 0o755)
            shutil.rmtree(place)
        shown = s.text()
        assert "unknown error in watching directories" in shown
        assert shown.count("Execution of procedure slow") == 2
        assert shown.index("unknown error in watching directories") < shown.rindex(
            "Execution of procedure slow")


class TestMendedFaults:
    def test_the_script_directory_given_again_keeps_watching(self, scene):
        s = scene.start("-w", "--watch-dirs", native(str(scene.directory)), "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        scene.save()
        s.wait_for("Execution of procedure slow succeeded (", 2)
        scene.save("again.txt")
        s.wait_for("Execution of procedure slow succeeded (", 3)
        assert "unknown error in watching directories" not in s.text()
        finish(s)

    @keys_only
    def test_keys_leave_one_watcher_however_many(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        threads = threads_of(s.proc.pid)
        presses = 200
        s.type(b"k" * presses)
        s.wait_for("Execution of procedure slow succeeded (", presses + 1)
        s.wait_for(WATCHING, 2 * (presses + 1))
        # One watcher and its monitor's two threads, as after the first pass.
        assert threads_of(s.proc.pid) == threads
        finish(s)


def child_gone(session):
    """No process is left working in the session's directory: the child went with the runner."""
    if WINDOWS:
        return
    def left():
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if os.path.realpath(f"/proc/{pid}/cwd") == os.path.realpath(session.cwd):
                    found.append(pid)
            except OSError:
                pass
        return found
    deadline = time.monotonic() + 10
    while left() and time.monotonic() < deadline:
        time.sleep(0.05)
    assert left() == []


def threads_of(pid):
    with open(f"/proc/{pid}/status") as status:
        return int(next(line for line in status if line.startswith("Threads:")).split()[1])
