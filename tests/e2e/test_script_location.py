"""Finding the script from its name as typed, seen from outside: which file runs, the warnings,
the working directory, the procedure path, and a directory that cannot be entered."""
import os

from runs import BANNER, console, native, normalised, printing, procedure, script, velotrax, write


def says(name, words):
    """A procedure without parameters that prints one line."""
    return script(procedure(name, printing(f"'{words}'")))


class TestWhichFileRuns:
    def test_a_procedure_file_wins_over_a_program_of_the_same_name(self, tmp_path):
        write(tmp_path, "find_edges.hdvp", says("find_edges", "the procedure file"))
        write(tmp_path, "find_edges.hdev", says("main", "the program"))
        r = console("find_edges", cwd=tmp_path)
        assert r.status == 0
        assert normalised(r.out) == (BANNER + "the procedure file\noutput control parameters:\n"
                                     "Execution of procedure find_edges succeeded (Nms).\n")

    def test_a_program_in_capitals_runs_as_a_program(self, tmp_path):
        write(tmp_path, "MAIN.HDEV", says("main", "main ran"))
        r = console("MAIN.HDEV", cwd=tmp_path)
        assert r.status == 0
        assert normalised(r.out, dir=tmp_path) == (
            BANNER + "main ran\nExecution of program <dir>/MAIN.HDEV succeeded (Nms).\n")

    def test_an_absolute_name_without_extension(self, tmp_path):
        write(tmp_path, "scripts/main.hdev", says("main", "absolute"))
        r = console(native(tmp_path / "scripts" / "main"))
        assert r.status == 0
        assert normalised(r.out, dir=tmp_path) == (
            BANNER + "absolute\nExecution of program <dir>/scripts/main.hdev succeeded (Nms).\n")

    def test_library_procedures_with_and_without_the_extension(self, tmp_path):
        write(tmp_path, "sub/vision.hdpl",
              script(procedure("find_edges", printing("'edges found'")),
                     procedure("other", printing("'other'"))))
        for typed in ("sub/vision.hdpl:find_edges", "sub/vision:find_edges"):
            r = console("-v", "--checkonly", typed, cwd=tmp_path)
            assert r.status == 0, r
            shown = normalised(r.out, dir=tmp_path)
            assert "Setting working directory to <dir>/sub\n" in shown
            assert "Check of procedure find_edges succeeded.\n" in shown
        r = console("sub/vision:find_edges", cwd=tmp_path)
        assert normalised(r.out) == (BANNER + "edges found\noutput control parameters:\n"
                                     "Execution of procedure find_edges succeeded (Nms).\n")


class TestSearchingParents:
    def test_a_script_two_levels_up_is_found_and_its_directory_becomes_current(self, tmp_path):
        write(tmp_path, "top/main.hdev", script(procedure("main", printing("'found above'"))))
        os.makedirs(tmp_path / "top" / "a" / "b")
        r = console("-v", "--search-parent", "main", cwd=tmp_path / "top" / "a" / "b")
        assert r.status == 0, r
        shown = normalised(r.out, top=tmp_path / "top")
        assert "Setting working directory to <top>\n" in shown
        assert "found above\nExecution of program <top>/main.hdev succeeded (Nms).\n" in shown

    def test_without_search_parent_only_the_current_directory_is_tried(self, tmp_path):
        write(tmp_path, "top/main.hdev", says("main", "found above"))
        os.makedirs(tmp_path / "top" / "a")
        r = velotrax("main", cwd=tmp_path / "top" / "a")
        assert r.status == 1
        assert r.err.startswith("warning: could not find file main in current directory\n")

    def test_the_parent_search_says_so_when_nothing_is_found(self, tmp_path):
        r = velotrax("--search-parent", "nowhere_7f3a.hdev", cwd=tmp_path)
        assert r.status == 1
        assert r.err == ("warning: could not find file nowhere_7f3a.hdev in current directory or "
                         "any parent directory\nExecution of program nowhere_7f3a.hdev failed.\n")


class TestNotFound:
    def test_a_program_not_found_fails_and_is_named_as_typed(self, tmp_path):
        r = console("-v", "missing.hdev", cwd=tmp_path)
        assert r.status == 1
        lines = r.out.splitlines()
        assert "warning: could not find file missing.hdev in current directory" in lines
        assert not any(line.startswith("Setting working directory") for line in lines)
        assert "Setting HDevEngine procedure path: " in lines
        assert lines[-1] == "Execution of program missing.hdev failed."

    def test_with_a_procedure_path_it_becomes_the_working_directory(self, tmp_path):
        os.makedirs(tmp_path / "D")
        r = console("-v", "--procedures-path", native(tmp_path / "D"), "missing.hdev",
                    cwd=tmp_path)
        assert r.status == 1
        shown = normalised(r.out, dir=tmp_path)
        assert "Setting working directory to <dir>/D\n" in shown
        assert "Setting HDevEngine procedure path: <dir>/D\n" in shown

    def test_an_absolute_name_not_found_is_still_run_from_its_directory(self, tmp_path):
        os.makedirs(tmp_path / "scripts")
        typed = native(tmp_path / "scripts" / "inspect.hdev")
        r = velotrax("-v", typed)
        assert r.status == 1
        assert r.err.splitlines()[0] == "warning: could not find file " + typed
        assert "Setting working directory to <dir>/scripts\n" in normalised(r.out, dir=tmp_path)
        # The engine is asked for the file all the same, and the report names it.
        shown = normalised(r.err, dir=tmp_path)
        assert 'caught an unhandled exception while executing "<dir>/scripts/inspect.hdev"' in shown
        assert shown.endswith("Execution of program <dir>/scripts/inspect.hdev failed.\n")

    def test_a_directory_that_cannot_be_entered_ends_the_run(self, tmp_path):
        r = velotrax("--procedures-path", native(tmp_path / "not-there"), "missing.hdev",
                     cwd=tmp_path)
        assert r.status == 1
        assert r.out == BANNER
        first, second = r.err.splitlines()
        assert first == "warning: could not find file missing.hdev in current directory"
        assert native(tmp_path / "not-there") in second
        assert "Execution of" not in r.err


def test_the_procedure_path_is_the_script_directory_then_the_given_paths(tmp_path):
    """Relative paths name directories of the start directory, also once the working directory
    is the script's: the procedure in b is found."""
    write(tmp_path, "s/proc.hdvp", script(procedure("proc", ["helper ()"])))
    write(tmp_path, "b/helper.hdvp", says("helper", "hello"))
    os.makedirs(tmp_path / "a")
    r = console("-v", native(tmp_path / "s" / "proc"), "--procedures-path", "a",
                "--procedures-path", "b", cwd=tmp_path)
    assert r.status == 0, r
    shown = normalised(r.out, dir=tmp_path)
    assert "Setting HDevEngine procedure path: <dir>/s;<dir>/a;<dir>/b\n" in shown
    assert "hello\n" in shown
    # A separate-mode child reads the same relative paths from the same start directory.
    r = console("-s", os.path.join("s", "proc"), "--procedures-path", "b", cwd=tmp_path)
    assert (r.status, "hello\n" in r.out) == (0, True), r
