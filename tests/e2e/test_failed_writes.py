"""Output that cannot be written fails the run and destroys nothing: pictures and text files on
a full disk, and standard output on a full device, a full disk or a closed descriptor."""
import errno
import os
import signal
import subprocess

import pytest

from conftest import TIMEOUT, WINDOWS, command, completed, environment, text
from runs import HALCONROOT, QUIET, native, procedure, script, velotrax, write

OLD_PICTURE = b"\x89PNG an earlier picture, kept"


@pytest.fixture
def full_disk(tmp_path):
    """fill() makes a small tmpfs, mounted for the test, full. Under Wine the same directory is
    reached through drive Z:, so Windows sees a full disk too. Skips where mounting is refused
    (only root may mount)."""
    disk = tmp_path / "disk"
    disk.mkdir()
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(disk)],
                          capture_output=True, timeout=60)
    if done.returncode != 0:
        pytest.skip("cannot mount a tmpfs here: " + done.stderr.decode(errors="replace"))

    def fill():
        with open(disk / "filler", "wb", buffering=0) as filler:
            with pytest.raises(OSError) as full:
                while True:
                    filler.write(b"\0" * 4096)
            assert full.value.errno == errno.ENOSPC

    try:
        yield disk, fill
    finally:
        subprocess.run(["umount", "-l", str(disk)], timeout=60)


def program(directory, lines):
    return write(directory, "main.hdev", script(procedure("main", lines)))


def in_script(path):
    """A path as a script's string literal holds it: "/" separated, as a backslash escapes."""
    return native(str(path)).replace("\\", "/")


class TestFullDisk:
    def test_a_picture_that_does_not_fit_leaves_the_old_one(self, tmp_path, full_disk):
        disk, fill = full_disk
        (disk / "pic.png").write_bytes(OLD_PICTURE)
        fill()
        path = program(tmp_path, ["dev_open_window (0, 0, 64, 64, 'white', W)",
                                  f"dump_window (W, 'png', '{in_script(disk / 'pic')}')"])
        r = velotrax(native(path))
        assert r.status == 1 and "5201" in r.err and in_script(disk / "pic.png") in r.err
        assert (disk / "pic.png").read_bytes() == OLD_PICTURE
        assert sorted(os.listdir(disk)) == ["filler", "pic.png"]

    def test_a_picture_replaces_the_old_one_whole(self, tmp_path, full_disk):
        disk, _ = full_disk
        (disk / "pic.png").write_bytes(OLD_PICTURE)
        path = program(tmp_path, ["dev_open_window (0, 0, 64, 64, 'white', W)",
                                  f"dump_window (W, 'png', '{in_script(disk / 'pic')}')"])
        assert velotrax(native(path)).status == 0
        assert (disk / "pic.png").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")
        assert os.listdir(disk) == ["pic.png"]

    @pytest.mark.parametrize("mode", ["output", "append"])
    @pytest.mark.parametrize("last", ["fwrite_string (F, 'x')", "fnew_line (F)"])
    def test_a_text_file_write_that_fails_fails_the_run(self, tmp_path, full_disk, mode, last):
        disk, fill = full_disk
        fill()
        name = in_script(disk / "log.txt")
        path = program(tmp_path, [f"open_file ('{name}', '{mode}', F)", last, "close_file (F)"])
        r = velotrax(native(path))
        assert r.status == 1 and "succeeded" not in r.out
        operator = last.split(" ")[0]
        assert f"{operator}" in r.err and "5203" in r.err and name in r.err


def standard_output_failure(reason):
    return f"could not write to standard output: {reason}\n"


# The runtime library's words for a full disk and a closed descriptor, on either platform.
NO_SPACE = "No space left on device"
BAD_DESCRIPTOR = "Bad file descriptor"


def run_with_stdout(program, args, stdout, env=None):
    done = completed(command(program, args), stdout=stdout, stderr=subprocess.PIPE,
                     env=environment(env))
    return done.returncode, text(done.stderr)


class TestStandardOutput:
    @pytest.mark.parametrize("program,args", [
        ("velotrax", ["--get-version"]),
        ("tintra", ["--fgred", "lost"]),
        ("tintra", ["--help"]),
    ])
    def test_a_full_device_fails_the_program(self, program, args):
        with open("/dev/full", "wb") as full:
            status, err = run_with_stdout(program, args, full, {"HALCONROOT": HALCONROOT})
        assert (status, err) == (1, standard_output_failure(NO_SPACE))

    def test_a_run_whose_output_does_not_fit_fails(self, tmp_path, full_disk):
        disk, fill = full_disk
        fill()
        path = program(tmp_path, ["X := 1"])
        with open(disk / "out.txt", "wb") as out:
            status, err = run_with_stdout("velotrax", [*QUIET, native(path)], out,
                                          {"HALCONROOT": HALCONROOT})
        assert (status, err) == (1, standard_output_failure(NO_SPACE))

    @pytest.mark.parametrize("program,args", [("velotrax", ["--get-version"]),
                                              ("tintra", ["lost"])])
    def test_a_closed_descriptor_fails_the_program(self, program, args):
        # The shell closes descriptor 1 and replaces itself with the program.
        argv = ["sh", "-c", 'exec "$@" >&-', "sh", *command(program, args)]
        done = subprocess.run(argv, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              env=environment({"HALCONROOT": HALCONROOT}), timeout=TIMEOUT)
        assert (done.returncode, text(done.stderr)) == (1, standard_output_failure(BAD_DESCRIPTOR))

    def test_a_file_opened_by_a_script_never_takes_the_closed_descriptor(self, tmp_path):
        log = tmp_path / "log.txt"
        path = program(tmp_path, [f"open_file ('{in_script(log)}', 'output', F)",
                                  "fwrite_string (F, 'script')", "close_file (F)",
                                  "open_file ('standard', 'output', Out)",
                                  "fwrite_string (Out, 'console')"])
        argv = ["sh", "-c", 'exec "$@" >&-', "sh", *command("velotrax", [*QUIET, native(path)])]
        done = subprocess.run(argv, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE,
                              env=environment({"HALCONROOT": HALCONROOT}), timeout=TIMEOUT)
        assert done.returncode == 1
        assert log.read_text() == "script"

    @pytest.mark.skipif(WINDOWS, reason="the pipe signal")
    def test_a_reader_that_went_away_ends_the_program_quietly(self):
        reader, writer = os.pipe()
        os.close(reader)
        try:
            done = subprocess.run(
                command("velotrax", ["--get-version"]), stdin=subprocess.DEVNULL, stdout=writer,
                stderr=subprocess.PIPE, env=environment({"HALCONROOT": HALCONROOT}),
                preexec_fn=lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN), timeout=TIMEOUT)
        finally:
            os.close(writer)
        assert (done.returncode, done.stderr) == (1, b"")
