"""--dump-windows: the graphics windows still open when a run ends, written as PNG files and
checked pixel by pixel; headless, on a virtual screen, and by a separate-mode child."""
import os

import pytest

from conftest import WINDOWS
from runs import native, png_pixels, procedure, script, velotrax, virtual_screen, write

# Each window: its size, background, the rectangle drawn in it (row1, column1, row2, column2)
# and the rectangle's colour.
BLACK, WHITE, RED, BLUE = (0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 0, 255)
WINDOWS_DRAWN = [
    ((64, 48), "black", BLACK, (10, 20, 19, 39), "red", RED),
    ((32, 24), "white", WHITE, (2, 3, 5, 8), "blue", BLUE),
]
# A third window, opened and closed again: not written.
DRAWING = [line
           for n, ((width, height), background, _, box, colour, _) in enumerate(WINDOWS_DRAWN, 1)
           for line in (f"dev_open_window (0, 0, {width}, {height}, '{background}', W{n})",
                        f"dev_set_color ('{colour}')",
                        "gen_rectangle1 (Box{}, {}, {}, {}, {})".format(n, *box),
                        f"dev_display (Box{n})")]
DRAWING += ["dev_open_window (0, 0, 16, 16, 'red', W3)", "dev_close_window ()"]


def expected_picture(size, background, box, colour):
    (width, height), (row1, column1, row2, column2) = size, box
    return [[colour if row1 <= y <= row2 and column1 <= x <= column2 else background
             for x in range(width)] for y in range(height)]


def assert_drawing_dumped(directory, base):
    """The two windows DRAWING leaves open, and nothing else, in the directory."""
    assert sorted(os.listdir(directory)) == [f"{base}-1.png", f"{base}-2.png"]
    for place, (size, _, background, box, _, colour) in enumerate(WINDOWS_DRAWN, 1):
        assert png_pixels(os.path.join(directory, f"{base}-{place}.png")) == expected_picture(
            size, background, box, colour), place


@pytest.fixture(scope="module")
def screen():
    if WINDOWS:  # Wine's screen windows: test_windows_dialogs.py
        pytest.skip("a native screen")
    server, display = virtual_screen()
    yield display
    server.terminate()
    server.wait(timeout=30)


@pytest.mark.parametrize("case, options, last_line, status", [
    ("succeeds", (), "", 0),
    ("fails", (), "X := 1 / 0", 1),
    ("separate", ("-s",), "", 0),
    ("on a screen", (), "", 0),
])
def test_the_open_windows_are_written_in_stack_order(tmp_path, request, case, options,
                                                     last_line, status):
    write(tmp_path, "cases/draw.hdev", script(procedure("main", DRAWING + [last_line])))
    env = {"DISPLAY": request.getfixturevalue("screen")} if case == "on a screen" else {}
    # Relative to the start directory, not to the script's, which the run enters; made.
    r = velotrax(*options, "--dump-windows", "out/new", "cases/draw.hdev", cwd=tmp_path, env=env)
    assert r.status == status, r
    assert_drawing_dumped(tmp_path / "out" / "new", "cases_draw.hdev-main")


def test_refusals(tmp_path):
    """A file in place of the directory stops before the run; a directory in place of a picture
    fails the run after it."""
    write(tmp_path, "draw.hdev", script(procedure("main", DRAWING)))
    write(tmp_path, "file", "")
    r = velotrax("--dump-windows", "file", "draw.hdev", cwd=tmp_path)
    assert r.status == 1 and "Execution of" not in r.err, r
    assert r.err.endswith(f"cannot dump windows to {native(tmp_path / 'file')}: it is not a "
                          "directory\n")

    os.makedirs(tmp_path / "out" / "draw.hdev-main-1.png")
    r = velotrax("--dump-windows", "out", "draw.hdev", cwd=tmp_path)
    assert r.status == 1 and "could not dump the windows: " in r.err, r
    assert r.err.endswith(f"Execution of program {native(tmp_path / 'draw.hdev')} failed.\n")
    assert sorted(os.listdir(tmp_path / "out")) == ["draw.hdev-main-1.png"]
