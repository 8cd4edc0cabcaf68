"""Procedure arguments written as tuple literals, seen from outside: the tuples a procedure
receives, and for every syntax error the message, its column and the caret under the text."""
import pytest

from conftest import WINDOWS
from runs import BANNER, console, normalised, procedure, script, velotrax, write

NAMES = ["A", "B", "C", "D"]


@pytest.fixture(scope="module")
def echo(tmp_path_factory):
    """echo0 … echo4: procedures that hand their inputs back as outputs."""
    directory = tmp_path_factory.mktemp("echo")
    for n in range(5):
        names = NAMES[:n]
        write(directory, f"echo{n}.hdvp",
              script(procedure(f"echo{n}", [f"Out{x} := {x}" for x in names], inputs=names,
                               outputs=[f"Out{x}" for x in names])))
    return directory


GIVES = [
    ("", []),
    ("()", []),
    ("( )", []),
    ("1 'a' [2,3]", ["1", "'a'", "[2, 3]"]),
    ("1,'a',[2,3]", ["1", "'a'", "[2, 3]"]),
    ("(1, 'a', [2, 3])", ["1", "'a'", "[2, 3]"]),
    ("(1) 2", ["1"]),
    ("1,,2", ["1", "2"]),
    ("[1, 2", ["[1, 2]"]),
    ("[", ["[]"]),
    ("'it\\'s'", ["'it's'"]),
    ("7 -0 007 0x10", ["7", "0", "7", "16"]),
    ("1e3 .5 1.", ["1000", "0.5", "1"]),
]


@pytest.mark.parametrize("text,outputs", GIVES, ids=[repr(t) for t, _ in GIVES])
def test_literals_give_these_tuples(echo, text, outputs):
    n = len(outputs)
    r = console(f"echo{n}.hdvp", text, cwd=echo)
    assert r.status == 0, r
    printed = "".join(f"Out{x}: {value}\n" for x, value in zip(NAMES, outputs))
    assert normalised(r.out) == (BANNER + "output control parameters:\n" + printed
                                 + f"Execution of procedure echo{n} succeeded (Nms).\n")


FAILS = [
    ("(1,)", "')' is unexpected at this place", 3),
    ("(1", "missing ')'", 2),
    ("(1, [2", "missing ')'", 6),
    ("((1))", "'(' is unexpected at this place", 1),
    (",1", "',' is unexpected at this place", 0),
    ("[1 2]", "'2' is unexpected at this place", 3),
    ("[1,]", "']' is unexpected at this place", 3),
    ("[[1]]", "'[' is unexpected at this place", 1),
    ("'a\\qb'", "invalid escape sequence", 2),
    ("'abc", "expected ' is missing", 4),
    ("1 'abc\\", "unexpected end of tuple", 6),
    ("12abc", "'a' is unexpected at this place", 2),
    ("-inf", "could not parse number", 0),
    ("1\t2", "'\t' is unexpected at this place", 1),
    ("(1, x)", "'x' is unexpected at this place", 4),
    ("9223372036854775808", "integer literal out of range", 0),
    ("[1, -99999999999999999999]", "integer literal out of range", 4),
]


@pytest.mark.parametrize("text,message,position", FAILS, ids=[repr(t) for t, _, _ in FAILS])
def test_syntax_errors_show_the_column_and_a_caret(echo, text, message, position):
    r = velotrax("echo1.hdvp", text, cwd=echo)
    assert r.status == 1
    assert r.out == BANNER
    assert r.err == f"{message} column:{position + 1}\n{text}\n{' ' * position}^\n\n"


def test_the_argument_text_is_the_tokens_joined_with_blanks(echo):
    joined = console("echo2.hdvp", "(1,", "2)", cwd=echo)
    single = console("echo2.hdvp", "(1, 2)", cwd=echo)
    assert joined.status == single.status == 0
    # Run times may differ by a millisecond: compare without them.
    assert normalised(joined.out) == normalised(single.out)
    assert "OutA: 1\nOutB: 2\n" in joined.out
    # A token that starts with the script carries its arguments along.
    carried = console("echo2.hdvp(1,", "2)", cwd=echo)
    assert normalised(carried.out) == normalised(single.out)
    r = velotrax("echo2.hdvp", "(1,", "x)", cwd=echo)
    assert r.err == "'x' is unexpected at this place column:5\n(1, x)\n    ^\n\n"


def test_a_number_beyond_a_double_is_an_error_without_caret(echo):
    r = velotrax("echo1.hdvp", "1e999", cwd=echo)
    assert (r.status, r.out, r.err) == (1, BANNER, "stod argument out of range\n")


@pytest.mark.skipif(WINDOWS, reason="a Windows command line holds at most 32767 characters")
def test_a_mebibyte_of_arguments_gives_a_result_or_a_clean_error(echo):
    zeros = ["0" * (1 << 16)] * 16
    r = velotrax("echo1.hdvp", *zeros, cwd=echo)
    assert r.status == 1
    assert "It contains 1 input parameter, but 16 control parameters are specified" in r.err
    nines = ["9" * (1 << 16)] * 16
    r = velotrax("echo1.hdvp", *nines, cwd=echo)
    assert (r.status, r.err) == (1, f"integer literal out of range column:1\n{' '.join(nines)}\n^\n\n")
