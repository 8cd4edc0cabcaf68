"""Running and checking programs and procedures through the bridge and the stand-in engine:
the argument checks, outputs, check mode, and the engine exception report."""
import os

import pytest

from conftest import run
from runs import BANNER, HERE, console, normalised, procedure, script, velotrax, write

COUNT_END = (" at the command line. Specify the correct number of control parameters at the "
             "command line.")
WRAPPER = (" Another possible way to solve this problem is to write a wrapper external procedure "
           "without arguments and call this new procedure instead.")

MAIN_LINES = ["* line one", "A := 1", "B := 2", "C := A + B", "D := := 4", "E := 5", "F := 6",
              "G := 7", "H := 8"]


@pytest.fixture(scope="module")
def scripts(tmp_path_factory):
    d = tmp_path_factory.mktemp("run")
    write(d, "two_inputs.hdvp", script(procedure("two_inputs", ["Sum := A + B"],
                                                 inputs=["A", "B"], outputs=["Sum"])))
    write(d, "one_input.hdvp", script(procedure("one_input", ["Out := In"], inputs=["In"],
                                                outputs=["Out"])))
    write(d, "iconic_input.hdvp", script(procedure("iconic_input", ["N := 1"],
                                                   iconic_inputs=["Image"], outputs=["N"])))
    write(d, "vector_input.hdvp", script(procedure("vector_input", ["N := |Points|"],
                                                   inputs=["A", "Points:1"], outputs=["N"])))
    write(d, "quiet.hdvp", script(procedure("quiet", ["X := 1"])))
    write(d, "tuples.hdvp", script(procedure(
        "tuples", ["One := 5", "Text := 'abc'", "Empty := []", "Mixed := [1, 2.5, 'x']"],
        outputs=["One", "Text", "Empty", "Mixed"])))
    write(d, "invalid.hdev", script(procedure("main", MAIN_LINES)))
    write(d, "unresolved.hdev", script(procedure("main", ["A := 1", "not_there (A, B)",
                                                          "C := 2"])))
    write(d, "divide.hdvp", script(procedure("divide", ["Q := A / 0", "R := 2", "S := 3",
                                                        "T := 4"], inputs=["A"],
                                             outputs=["Q"])))
    write(d, "long_line.hdvp", script(procedure(
        "long_line", ["* " + "x" * (1 << 20), "Q := 1 / 0", "R := 2"])))
    write(d, "failing_main.hdev", script(procedure(
        "main", ["* computes", "X := 1", "Y := [1, 2]", "Z := Y[5]", "W := 2"])))
    return d


def failed(name):
    return f"Execution of procedure {name} failed.\n"


class TestArgumentChecks:
    @pytest.mark.parametrize("name,args,message", [
        ("two_inputs", ["1"], "It contains 2 input control parameters, but 1 control parameter "
                              "is specified as argument" + COUNT_END),
        ("two_inputs", [], "It contains 2 input control parameters, but 0 control parameters "
                           "are specified as arguments" + COUNT_END + WRAPPER),
        ("one_input", ["1", "2", "3"], "It contains 1 input parameter, but 3 control "
                                       "parameters are specified as arguments" + COUNT_END),
        ("iconic_input", [], "It contains 1 input parameter, but 0 control parameters are "
                             "specified as arguments" + COUNT_END + WRAPPER),
    ], ids=["one-of-two", "none-of-two", "three-for-one", "iconic-only"])
    def test_every_count_message(self, scripts, name, args, message):
        r = velotrax(name, *args, cwd=scripts)
        assert r.status == 1
        assert r.out == BANNER
        signature = {"two_inputs": "two_inputs ( : : A, B: Sum)",
                     "one_input": "one_input ( : : In: Out)",
                     "iconic_input": "iconic_input ( Image: : : N)"}[name]
        assert r.err == (f'Cannot call procedure "{signature}" directly. {message}\n'
                         + failed(name))

    def test_a_vector_input_is_refused_after_the_count(self, scripts):
        r = velotrax("vector_input", "1", "[1, 2]", cwd=scripts)
        assert r.status == 1
        assert r.err == (
            'Cannot call procedure "vector_input ( : : A, Points {dim:1}: N)" directly. It '
            "contains at least one input control vector. Vectors are not supported by Velotrax, "
            "yet.\nA possible way to solve this problem is to write a wrapper external procedure "
            "without vector arguments and call this new procedure instead.\n"
            + failed("vector_input"))
        r = velotrax("vector_input", "1", cwd=scripts)
        assert r.err.startswith('Cannot call procedure "vector_input ( : : A, Points {dim:1}: N)"'
                                " directly. It contains 2 input control parameters, but 1")
        assert "vector" not in r.err.split("\n")[0].split("directly.")[1]


class TestOutputs:
    def test_a_verbose_run_traces_and_prints_every_output(self, scripts):
        r = console("-v", "two_inputs", "2", "3.5", cwd=scripts)
        assert r.status == 0
        shown = normalised(r.out, dir=scripts)
        assert shown.endswith(
            "Loading procedure: two_inputs\nCalling procedure: two_inputs ( : : A, B: Sum)\n"
            "output control parameters:\nSum: 5.5\n"
            "Execution of procedure two_inputs succeeded (Nms).\n")

    def test_a_procedure_without_outputs_prints_only_the_heading(self, scripts):
        r = console("quiet", cwd=scripts)
        assert normalised(r.out) == (BANNER + "output control parameters:\n"
                                     "Execution of procedure quiet succeeded (Nms).\n")

    def test_one_element_empty_and_mixed_tuples(self, scripts):
        r = console("tuples", cwd=scripts)
        assert normalised(r.out) == (
            BANNER + "output control parameters:\nOne: 5\nText: 'abc'\nEmpty: []\n"
            "Mixed: [1, 2.5, 'x']\nExecution of procedure tuples succeeded (Nms).\n")


class TestCheckMode:
    def test_a_check_loads_and_executes_nothing(self, scripts):
        r = console("--checkonly", "two_inputs", cwd=scripts)
        assert (r.status, r.out) == (0, BANNER + "Check of procedure two_inputs succeeded.\n")

    def test_a_verbose_check_shows_the_signature_and_load_time(self, scripts):
        r = console("-c", "-v", "two_inputs", cwd=scripts)
        assert r.status == 0
        assert normalised(r.out).endswith(
            "Loading procedure: two_inputs\nSuccessfully loaded procedure: two_inputs "
            "( : : A, B: Sum) (Nms)\nCheck of procedure two_inputs succeeded.\n")
        r = console("-c", "-v", "unresolved.hdev", "--ignore-unresolved-lines", cwd=scripts)
        assert normalised(r.out, dir=scripts).endswith(
            "Loading program: <dir>/unresolved.hdev\nSuccessfully loaded program: "
            "<dir>/unresolved.hdev (Nms)\nCheck of program <dir>/unresolved.hdev succeeded.\n")

    def test_an_invalid_line_five_shows_lines_two_to_seven_and_the_marker(self, scripts):
        r = console("--checkonly", "invalid.hdev", cwd=scripts)
        assert r.status == 1
        assert normalised(r.out, dir=scripts) == BANNER + (
            'caught an unhandled exception while executing "<dir>/invalid.hdev": proc name: '
            '"main (invalid.hdev)" progLineName: "" error code: 4 message: "Error(s) in procedure '
            "'main': there is an invalid program line: 5\" prog line: -1 type: "
            '"HDevEngineException" \n'
            "\nA := 1\nB := 2\nC := A + B\nD := := 4 <------------\nE := 5\nF := 6\n\n"
            "Check of program <dir>/invalid.hdev failed.\n")

    def test_ignoring_invalid_lines_makes_that_check_succeed(self, scripts):
        r = console("-c", "--ignore-invalid-lines", "invalid.hdev", cwd=scripts)
        assert (r.status, normalised(r.out, dir=scripts)) == (
            0, BANNER + "Check of program <dir>/invalid.hdev succeeded.\n")

    def test_an_unresolved_call_is_refused_unless_ignored(self, scripts):
        r = console("-c", "unresolved.hdev", cwd=scripts)
        assert r.status == 1
        shown = normalised(r.out, dir=scripts)
        assert "there is an unresolved procedure call: 2" in shown
        assert shown.endswith("\nA := 1\nnot_there (A, B) <------------\nC := 2\n\n"
                              "Check of program <dir>/unresolved.hdev failed.\n")


class TestEngineExceptionReport:
    def test_a_runtime_error_on_line_one_shows_three_lines_and_the_error_text(self, scripts):
        r = console("divide", "7", cwd=scripts)
        assert r.status == 1
        shown = normalised(r.out, dir=scripts)
        first, context = shown[len(BANNER):].split("\n", 1)
        assert first.startswith('caught an unhandled exception while executing '
                                '"<dir>/divide.hdvp": proc name: "divide" ')
        assert first.endswith('prog line: 1 type: "HDevEngineException" ')
        assert context.startswith("\nQ := A / 0 <------------")
        error_text = context.split("\n")[1][len("Q := A / 0 <------------"):]
        assert error_text, "the engine's error text follows the marker"
        assert context.endswith("\nR := 2\nS := 3\n\n" + failed("divide"))

    def test_an_error_without_a_line_reports_the_first_line_only(self, scripts):
        r = console("no_such_procedure", cwd=scripts)
        assert r.status == 1
        shown = normalised(r.out, dir=scripts)
        assert shown == BANNER + (
            "warning: could not find file no_such_procedure in current directory\n"
            'caught an unhandled exception while executing "": proc name: "no_such_procedure" '
            'progLineName: "" error code: 21020 message: "Procedure \'no_such_procedure\' not '
            'found on the procedure path" prog line: -1 type: "HDevEngineException" \n\n'
            + failed("no_such_procedure"))

    def test_a_programs_main_is_found_under_its_reported_name(self, scripts):
        r = console("failing_main.hdev", cwd=scripts)
        assert r.status == 1
        shown = normalised(r.out, dir=scripts)
        assert 'proc name: "main (failing_main.hdev)"' in shown
        assert "\n* computes\nX := 1\nY := [1, 2]\nZ := Y[5] <------------" in shown
        assert shown.endswith("\nW := 2\n\nExecution of program <dir>/failing_main.hdev failed.\n")

    def test_a_mebibyte_line_is_shown_in_the_context_like_any_other(self, scripts):
        r = console("long_line", cwd=scripts)
        assert r.status == 1
        context = r.out.split("\n\n")[2]
        assert context == "* " + "x" * (1 << 20) + "\nQ := 1 / 0 <------------Division by zero\nR := 2"


def test_the_first_command_of_the_readme():
    """velotrax examples/fibonacci.hdvp 10, from the top of the checkout, as the README has it."""
    r = run("velotrax", "examples/fibonacci.hdvp", "10", cwd=os.path.join(HERE, "..", ".."))
    assert (r.status, r.err) == (0, "")
    assert normalised(r.out) == (BANNER + "output control parameters:\nValue: 55\n"
                                 "Sequence: [0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55]\n"
                                 "Execution of procedure fibonacci succeeded (Nms).\n")
