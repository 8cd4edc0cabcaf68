"""tintra's colours, seen on a terminal and through pipes."""
import os
import re

import pytest

from conftest import WINDOWS, run, run_on_terminal, shown_text

HERE = os.path.dirname(__file__)


def usage():
    with open(os.path.join(HERE, "tintra-usage.txt"), encoding="utf-8") as f:
        return f.read()


class TestUsage:
    def test_no_arguments_prints_usage_and_fails(self):
        r = run("tintra")
        assert (r.status, r.out, r.err) == (1, usage(), "")

    @pytest.mark.parametrize("flag", ["--help", "-h", "/?", "-?", "/h"])
    def test_help_anywhere_prints_only_usage(self, flag):
        r = run("tintra", "--fgred", "text", flag)
        assert (r.status, r.out) == (0, usage())


class TestRedirected:
    def test_texts_are_written_plain_and_joined(self):
        r = run("tintra", "--fgred", "A", "--fgblue", "B", "--fgyellow", "--default", "C")
        assert (r.status, r.out) == (0, "AB--fgyellowC\n")

    def test_a_leading_space_is_the_only_separator(self):
        assert run("tintra", "Hello", " World").out == "Hello World\n"

    def test_only_backslash_n_is_an_escape(self):
        assert run("tintra", r"a\nb\tc\\nd\n").out == "a\nb\\tc\\\nd\n\n"


@pytest.mark.skipif(WINDOWS, reason="escape sequences of our own; Wine's are checked below")
class TestTerminalLinux:
    def test_bits_accumulate(self):
        r = run_on_terminal("tintra", "--fgred", "A", "--fgblue", "B")
        assert r.status == 0
        assert r.out == b"\x1b[0;31;40mA\x1b[0;35;40mB\r\n\x1b[0m"

    def test_text_before_any_option_is_black_on_black(self):
        assert run_on_terminal("tintra", "X").out == b"\x1b[0;30;40mX\r\n\x1b[0m"

    def test_intensity_and_backgrounds(self):
        r = run_on_terminal("tintra", "--fgint", "--fggreen", "--bgblue", "--bgint", "X")
        assert r.out.startswith(b"\x1b[0;92;104mX")

    def test_default_restores_the_terminal_colours_and_keeps_adding_bits(self):
        r = run_on_terminal("tintra", "--bgred", "A", "--default", "B", "--fgint", "C")
        assert r.out == (b"\x1b[0;30;41mA\x1b[0mB\x1b[0;97;40mC\r\n\x1b[0m")


@pytest.mark.skipif(not WINDOWS, reason="the Wine console renders attributes as escapes")
class TestTerminalWine:
    def test_texts_are_coloured_and_the_colour_restored(self):
        r = run_on_terminal("tintra", "--fgred", "A", "--fgblue", "B", "--default", "C")
        assert r.status == 0
        # Red, then red and blue (magenta), then the saved colours, which Wine shows as a reset.
        painted = rb"\x1b\[(?:[0-9;]*;)?31m" rb"A\x1b\[(?:[0-9;]*;)?35m" rb"B\x1b\[0?m" rb"C\n"
        assert re.fullmatch(painted, shown_text(r.out)), r.out

    def test_the_final_line_feed_comes_before_the_restore(self):
        shown = shown_text(run_on_terminal("tintra", "--fgred", "X").out)
        assert re.fullmatch(rb"\x1b\[(?:[0-9;]*;)?31mX\n\x1b\[0?m", shown), shown

    def test_text_before_any_option_is_black_and_backgrounds_paint(self):
        assert shown_text(run_on_terminal("tintra", "X").out).startswith(b"\x1b[30mX")
        shown = shown_text(run_on_terminal("tintra", "--bgblue", "--fgint", "X").out)
        assert b"\x1b[44m" in shown.split(b"X")[0] and b"90" in shown.split(b"X")[0]
