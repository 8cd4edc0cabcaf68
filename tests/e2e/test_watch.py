"""Watch mode and separate mode, seen from outside: runs again on a change or a key, ESC, the
child process of separate mode, the watch's messages, and the faults mended on the way.

Natively the runner sits on a pseudo-terminal, so keys can be typed; under Wine it writes to a
pipe and has no keys, so a session there ends by ending the process."""
import os
import re
import time

import pytest

from conftest import WINDOWS
from runs import (BANNER, ESC, WATCHING, Session, console, finish, keys_only, native, printing,
                  procedure, script, write)

HINT = ("This problem might e.g. occur if the network redirector or the target file system does "
        "not support file change notifications. In this case, try to copy the files to be "
        "watched to a local directory and try again.")
SUCCEEDED = "Execution of procedure slow succeeded."
FAILED = "Execution of procedure slow failed."
TIMED = re.compile(r"Execution of procedure slow succeeded \(\d+ms\)\.")


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
    write(scene.directory, "hello.hdvp", script(procedure("hello", printing("'hello'"))))
    yield scene
    for session in scene.sessions:
        session.close()


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

    # Wine's terminal console holds a lone ESC back and reads ESC and a key as an Alt chord.
    @keys_only
    def test_escape_typed_before_another_key_during_a_run_ends(self, scene):
        s = scene.start("-w", "slow.hdvp", "1.5")
        s.wait_for(WATCHING)  # the watcher watches: the run is under way
        s.type(ESC + b"a")
        assert s.end() == 0
        assert s.count("Execution of procedure slow succeeded (") == 1

    @pytest.mark.parametrize("separate", [(), ("-s",)], ids=["in-process", "separate"])
    def test_a_script_writing_into_its_own_directory_rests(self, scene, separate):
        # Each run rewrites a file with the same content: news the first time at most.
        write(scene.directory, "writer.hdvp", script(procedure("writer", [
            "open_file ('written.txt', 'output', File)", "fwrite_string (File, 'same')",
            "close_file (File)"])))
        runs = "Execution of procedure writer succeeded ("
        s = scene.start("-w", *separate, "writer.hdvp")
        s.wait_for(runs)
        s.quiet_for(2)
        assert s.count(runs) <= 2
        before = s.count(runs)
        scene.save("written.txt")  # new content, by someone else: a change
        s.wait_for(runs, before + 1)
        s.quiet_for(2)
        assert s.count(runs) == before + 1  # the run puts back what it writes: no news
        finish(s)

    @keys_only
    def test_a_touch_while_waiting_runs_again(self, scene):
        s = scene.start("-w", "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        os.utime(scene.directory / "slow.hdvp")
        s.wait_for("Execution of procedure slow succeeded (", 2)
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


    @keys_only
    def test_the_child_is_the_terminals_foreground_job(self, scene):
        # "stty tostop": a background job writing to the terminal would be stopped.
        s = scene.start("-w", "-s", "slow.hdvp", "0", controlling=True)
        s.wait_for(SUCCEEDED + "\n")
        s.wait_for(WATCHING, 2)
        s.type(b"k")  # the terminal is the runner's again: keys are read
        s.wait_for(SUCCEEDED + "\n", 2)
        s.wait_for(WATCHING, 4)
        s.type(ESC)
        assert s.end() == 0
        assert s.count(BANNER) == 3

    @keys_only
    def test_a_killed_runner_takes_its_child_along(self, scene):
        s = scene.start("-s", "slow.hdvp", "60")
        s.wait_for(BANNER, 2)
        s.proc.kill()
        child_gone(s)


class TestSeparateWithoutWatch:
    def test_one_run_in_a_child_and_the_parents_result_line(self, scene):
        s = scene.start("-s", "slow.hdvp", "0")
        assert s.end() == 0
        shown = s.text()
        assert shown.count(BANNER) == 2
        assert TIMED.search(shown).start() < shown.index(SUCCEEDED + "\n")
        assert WATCHING not in shown

    def test_a_relative_script_path_with_a_directory(self, scene, tmp_path):
        r = console("-s", os.path.join("scripts", "hello"), cwd=str(tmp_path))
        assert r.status == 0, r.out
        assert r.out.count("hello\n") == 1
        assert "warning" not in r.out

    @keys_only
    def test_the_script_chosen_in_the_dialog_is_the_childs(self, scene):
        s = scene.start("-s", quiet=("--no-default-window",))
        s.wait_for("File name (empty to cancel): ")
        s.type(b"hello.hdvp\n")
        assert s.end() == 0
        assert s.count("File name (empty to cancel): ") == 1
        assert s.count("Execution of procedure hello succeeded.") == 1

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

    def test_with_nothing_watchable_the_loop_waits_for_keys(self, scene):
        # The script is nowhere and "gone" is missing: nothing is watched, and the loop waits.
        s = scene.start("-w", "--watch-dirs", "gone", "nowhere.hdvp", keys=True)
        s.wait_for(WATCHING, 2)
        s.quiet_for(1)
        assert s.proc.poll() is None
        s.type(b"k")
        s.wait_for("Execution of procedure nowhere failed.", 2)
        s.wait_for(WATCHING, 4)
        if WINDOWS:  # Wine's terminal console holds a lone ESC back
            s.stop()
        else:
            s.type(ESC)
            assert s.end() == 0
        assert s.count("unknown error in watching directories") == 0

    @keys_only
    def test_a_directory_that_appears_later_is_watched_from_the_next_pass(self, scene, tmp_path):
        later = tmp_path / "later"
        s = scene.start("-w", "--watch-dirs", native(str(later)), "slow.hdvp", "0")
        s.wait_for(WATCHING, 2)
        later.mkdir()
        s.type(b"k")
        s.wait_for("Execution of procedure slow succeeded (", 2)
        s.wait_for(WATCHING, 4)
        (later / "new.txt").write_text("new")
        s.wait_for("Execution of procedure slow succeeded (", 3)
        finish(s)


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
