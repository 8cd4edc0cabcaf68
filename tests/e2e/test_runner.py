"""The runner's command line, console output and exit statuses, seen from outside."""
import os
import re
import subprocess
import tempfile

import pytest

from conftest import WINDOWS, command, environment, run, run_on_terminal, shown_text, squeezed
from runs import WATCHING, Session, finish

HERE = os.path.dirname(__file__)
BANNER = "Velotrax 1.0.4\n"
# The honest error a run ends with, after the engine has started, until scripts can be run.
NOT_FOUND = "warning: could not find file "
SQUEEZED_NOT_FOUND = NOT_FOUND.replace(" ", "").encode()
ERROR_NOTICE = ("Execution finished with an error.\nPlease review the error messages in the "
                "console window and then close the application.")
ESCAPE = re.compile(rb"\x1b\[[0-9;]*m")


def usage():
    with open(os.path.join(HERE, "usage.txt"), encoding="utf-8") as f:
        return f.read()


def box(message):
    """What a message box shows on Linux: caption, then the message, on standard error."""
    return f"Velotrax\n{message}\n"


class TestHelpAndVersion:
    def test_help_prints_usage_only(self):
        r = run("velotrax", "--help")
        assert (r.status, r.out, r.err) == (0, usage(), "")

    def test_help_wins_over_version(self):
        assert run("velotrax", "-V", "-h").out == usage()

    def test_version_prints_the_banner_line_only(self):
        r = run("velotrax", "--version")
        assert (r.status, r.out, r.err) == (0, BANNER, "")

    def test_no_script_and_no_dialogs_prints_usage_and_fails(self):
        r = run("velotrax", "--no-dialogs")
        assert (r.status, r.out) == (1, usage())


class TestOptionErrors:
    @pytest.mark.skipif(WINDOWS, reason="Windows shows the error in a message box (Xvfb suite)")
    def test_unknown_option_before_the_script_is_shown_as_a_box(self):
        r = run("velotrax", "--frobnicate", "x.hdev")
        assert r.status == 1
        assert r.out == ""
        assert r.err == box("unrecognised option '--frobnicate'") + box(ERROR_NOTICE)

    @pytest.mark.skipif(WINDOWS, reason="Windows shows the error in a message box (Xvfb suite)")
    def test_no_dialogs_suppresses_the_notice_once_the_line_was_taken(self):
        r = run("velotrax", "--no-dialogs", "-5", "x.hdev")
        assert r.status == 1
        assert r.err == box("unrecognised option '-5'")
        # A line the option library rejects while reading it takes no --no-dialogs from it.
        r = run("velotrax", "--no-dialogs", "-v", "-v", "x.hdev")
        assert r.status == 1
        assert r.err == (box("option '--verbose' cannot be specified more than once")
                         + box(ERROR_NOTICE))


class TestCommandLine:
    def test_banner_then_an_honest_error(self):
        r = run("velotrax", "--no-dialogs", "x.hdvp", "-5", "--frobnicate")
        assert r.status == 1
        assert r.out == BANNER + "\n"
        assert r.err == (NOT_FOUND + "x.hdvp in current directory\n"
                         "could not parse number column:4\n-5 --frobnicate\n   ^\n\n")

    @pytest.mark.skipif(WINDOWS, reason="the notice is a message box on Windows (Xvfb suite)")
    def test_failure_ends_with_the_error_notice(self):
        r = run("velotrax", "x.hdev")
        assert r.status == 1
        assert r.err.endswith(box(ERROR_NOTICE))

    def test_get_version_prints_no_banner(self):
        r = run("velotrax", "--get-version", "x.hdev")
        assert (r.status, r.out, r.err) == (0, "halconversion:13.0.1\n", "")

    def test_child_marker_makes_a_child_that_runs_once(self, tmp_path):
        # A child drops watch mode and its directories (so no warning about them) and queries: its
        # one run fails and it ends. Without the marker the runner watches (nothing it can:
        # "gone" is missing) until it is ended: by ESC, or from outside where no keys are typed.
        args = ["--no-dialogs", "-v", "-w", "-s", "--watch-dirs", "gone", "x.hdev"]
        for marker in (None, "0", "1"):
            s = Session(*args, cwd=tmp_path, quiet=(), env={"VELOTRAX_IS_SLAVE": marker})
            try:
                if marker == "1":
                    assert s.end() == 1
                else:
                    s.wait_for(WATCHING, 2)  # after the run's result line
                    finish(s)
                shown = s.text()
            finally:
                s.close()
            child = marker == "1"
            assert ("warning: watch directory gone does not exist" in shown) == (not child)
            assert shown.count("Execution of program x.hdev failed") == 1 + (not child), marker
            assert "unknown error in watching directories" not in shown
        query = run("velotrax", "--get-version", "x.hdev", env={"VELOTRAX_IS_SLAVE": "1"})
        # The child runs instead of only answering: the banner, and the answer all the same.
        assert query.out == BANNER + "\nhalconversion:13.0.1\n"

    def test_verbose_warnings_come_before_the_banner_on_standard_error(self, tmp_path):
        r = run("velotrax", "--no-dialogs", "-v", "--procedures-path", "nope.hdpl",
                "--watch-dirs", "gone", "x.hdev", cwd=tmp_path)
        assert r.err.splitlines()[:2] == ["warning: library path nope.hdpl does not exist",
                                          "warning: watch directory gone does not exist"]

    # Each hostile value comes back unchanged in the warning about it: nothing is cut, lost or
    # mangled on the way; then the run fails cleanly (and a watch of nothing that exists waits,
    # until ESC ends it with status 0, or it is ended from outside where no keys are typed).
    @pytest.mark.parametrize("args, warning, watched", [
        (["--procedures-path", "", ""], "warning: procedure path  does not exist", False),
        (["--watch-dirs", "x" * 30000, "x.hdev"],
         "warning: watch directory " + "x" * 30000 + " does not exist", True),
        (["--procedures-path", "\xff\xfe.hdpl", "\xff\xfe.hdev", "(\xff"],
         "warning: library path \xff\xfe.hdpl does not exist", False),
        # The missing working directory fails the run before any watch.
        (["--procedures-path", "a.HDPL", "--watch-dirs", "", "(", "x.hdev"],
         "warning: library path a.HDPL does not exist\nwarning: watch directory  does not exist",
         False),
    ], ids=["empty", "very-long", "not-utf8", "empty-values"])
    def test_bad_input_fails_cleanly(self, args, warning, watched, tmp_path):
        args = [a.encode("latin-1").decode("utf-8", "surrogateescape") for a in args]
        warning = warning.encode("latin-1").decode("utf-8", "surrogateescape")
        if WINDOWS:  # Wine hands bytes that are not UTF-8 to a Windows program as '?'
            warning = warning.replace("\udcff\udcfe", "??")
        if watched:
            s = Session("--no-dialogs", "-v", *args, cwd=tmp_path, quiet=())
            try:
                s.wait_for(WATCHING, 2)
                finish(s)
                shown = ESCAPE.sub(b"", s.text().encode("utf-8", "surrogateescape")).decode(
                    "utf-8", "surrogateescape")
            finally:
                s.close()
            assert shown.index(warning + "\n") < shown.index(BANNER) < shown.index(NOT_FOUND)
            assert "unknown error in watching directories" not in shown
            return
        r = run("velotrax", "--no-dialogs", "-v", *args, cwd=tmp_path)
        assert r.status == 1
        assert r.out.startswith(BANNER + "\n")
        # Then the script, which is nowhere, is reported as such.
        assert r.err.startswith(warning + "\n" + NOT_FOUND)


class TestConsole:
    def test_error_line_is_bright_red_on_a_terminal_and_normal_lines_are_plain(self):
        r = run_on_terminal("velotrax", "--no-dialogs", "x.hdev")
        assert r.status == 1
        shown = squeezed(shown_text(r.out))
        banner_at = shown.index(b"Velotrax1.0.4")
        error_at = shown.index(SQUEEZED_NOT_FOUND)
        assert banner_at < error_at
        assert not ESCAPE.search(shown[:banner_at + 13])
        colours = ESCAPE.findall(shown[banner_at:error_at])
        assert colours and re.search(rb"[\[;](91|1;31|31;1)m$|[\[;]91;", colours[-1]), shown
        assert ESCAPE.search(shown[error_at:]), "the colour is restored after the line"

    def test_nothing_is_lost_or_coloured_when_redirected(self):
        r = run("velotrax", "--no-dialogs", "x.hdev")
        assert "\x1b" not in r.out + r.err
        assert r.out == BANNER + "\n" and r.err.startswith(NOT_FOUND)

    def test_error_line_with_standard_output_redirected(self):
        r = run_on_terminal("velotrax", "--no-dialogs", "x.hdev", stdout="pipe")
        out, _ = r.err
        assert out == BANNER + "\n"
        shown = squeezed(shown_text(r.out))
        assert SQUEEZED_NOT_FOUND in shown
        if WINDOWS:
            # The colour belongs to standard output's console, and a pipe has none.
            assert not ESCAPE.search(shown)
        else:
            # A terminal on standard error gets its colour from escapes of its own.
            assert shown.startswith(b"\x1b[91m" + SQUEEZED_NOT_FOUND)

    @pytest.mark.skipif(WINDOWS, reason="colour variables are a terminal convention")
    def test_colour_variables(self):
        forced = run("velotrax", "--no-dialogs", "x.hdev", env={"CLICOLOR_FORCE": "1"})
        assert forced.err.startswith("\x1b[91m" + NOT_FOUND) and forced.err.endswith("\x1b[0m\n")
        assert "\x1b" not in forced.out
        assert "\x1b" not in run("velotrax", "--no-dialogs", "x.hdev",
                                 env={"CLICOLOR_FORCE": "0"}).err
        plain = run_on_terminal("velotrax", "--no-dialogs", "x.hdev",
                                env={"NO_COLOR": "1", "CLICOLOR_FORCE": "1"})
        assert b"\x1b" not in plain.out


@pytest.mark.skipif(WINDOWS, reason="Windows shows the open-file dialog (Xvfb suite)")
class TestScriptPrompt:
    def test_without_a_terminal_the_prompt_is_cancelled_at_once(self):
        r = run("velotrax")
        assert (r.status, r.out) == (1, usage())
        assert "Open HALCON program" not in r.err

    def test_an_empty_answer_cancels(self):
        r = run_on_terminal("velotrax", answer=b"\n")
        assert r.status == 1
        assert b"Open HALCON program or procedure - Velotrax" in r.out
        assert b"HDevelop library procedure (specify procedure with :procname) (*.hdpl)" in r.out
        assert b"usage: velotrax" in r.out

    def test_a_typed_name_is_taken_as_the_script(self):
        r = run_on_terminal("velotrax", answer=b"lib.hdpl:proc\n")
        assert r.status == 1
        assert b"Velotrax 1.0.4" in r.out and NOT_FOUND.encode() in r.out
        assert b"Execution finished with an error." in r.out


@pytest.mark.syscall_trace
@pytest.mark.skipif(WINDOWS, reason="counts the system calls of the native program")
class TestWholeMessages:
    """A multi-line message leaves the program in one write, so nothing can land inside it."""

    @staticmethod
    def writes(*args, env=None):
        with tempfile.NamedTemporaryFile("r") as trace:
            subprocess.run(["strace", "-f", "-o", trace.name, "-e", "trace=write", "-s", "100000",
                            "-xx", *command("velotrax", args)], stdin=subprocess.DEVNULL,
                           capture_output=True, env=environment(env), timeout=60)
            calls = re.findall(r'write\((\d), "([^"]*)", \d+\)', trace.read())
        return [(int(fd), bytes.fromhex(data.replace("\\x", ""))) for fd, data in calls]

    def test_usage_is_one_write(self):
        assert self.writes("--help") == [(1, usage().encode())]

    def test_each_box_is_one_write(self):
        assert self.writes("--frobnicate") == [
            (2, box("unrecognised option '--frobnicate'").encode()),
            (2, box(ERROR_NOTICE).encode())]

    def test_colour_text_and_reset_are_one_write(self):
        calls = self.writes("--no-dialogs", "x.hdev", env={"CLICOLOR_FORCE": "1"})
        assert calls[0] == (1, (BANNER + "\n").encode())
        assert len(calls) == 3 and calls[1][0] == calls[2][0] == 2
        assert calls[1][1].startswith(b"\x1b[91m" + NOT_FOUND.encode())
        assert calls[1][1].endswith(b"\x1b[0m\n")
