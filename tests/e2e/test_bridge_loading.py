"""Loading the bridge that matches the active HALCON version: every way it fails, where the
bridge is looked for, and that the process really uses the chosen installation's libraries."""
import os
import re
import shutil

import pytest

from binding_support import (ARCHITECTURE, BRIDGE_FILE, BRIDGES, BUILD_ROOT, LIBRARY_DIRECTORY,
                             PROGRAM, REAL_BRIDGE, installation, library, library_directory,
                             run_copy)
from conftest import BIN, HALCONROOT, WINDOWS, native_path, run

ANSWER = "halconversion:13.0.1\n"
HALCONCPP = library("halconcpp")


def unsupported(version, verbose):
    return (f"HALCON {version} is not supported by this version of Velotrax or HALCON was not "
            "(auto-)detected correctly. Hint: You can switch between different HALCON versions "
            "manually with the --halconversion (short: -n) command line flag.\n"
            + ("" if verbose else "To get detailed information on this error, start Velotrax "
               "again with the --verbose (short: -v) command line flag.\n")
            + "Please contact the Velotrax project (see its README.md) if you need further "
            "assistance with an unknown HALCON version."
            + (f"\n Details: could not find the helper library brimlet-{version}"
               + (".dll" if WINDOWS else ".so") if verbose else "") + "\n")


def errors_after_preparation(err):
    """The error lines that follow the preparation's messages about what is missing."""
    return [line for line in err.splitlines() if line.strip() and not line.startswith(
        ("warning: library ", "Could not find the required HALCON directory "))]


@pytest.fixture
def copied_runner(tmp_path):
    """A copy of velotrax alone in a directory of its own, and an empty working directory."""
    home = tmp_path / "exe"
    work = tmp_path / "work"
    home.mkdir()
    work.mkdir()
    shutil.copy(os.path.join(BIN, PROGRAM), home / PROGRAM)
    return home, work


class TestLoadingFailures:
    def test_no_vision_library(self, tmp_path):
        env = {"HALCONROOT": native_path(str(tmp_path))}
        r = run("velotrax", "--get-version", env=env)
        assert (r.status, r.out) == (1, "")
        # The system's text follows, with the line break Windows ends it with.
        failure = errors_after_preparation(r.err)[-1]
        if WINDOWS:
            assert failure.startswith(f"Could not load {HALCONCPP}: ") and failure[30:].strip()
        else:
            assert failure == (f"Could not load {HALCONCPP}: {HALCONCPP}: cannot open shared "
                               "object file: No such file or directory")
        # Loading is not traced, on any platform: --verbose adds no error line.
        verbose = run("velotrax", "--get-version", "-v", env=env)
        assert errors_after_preparation(verbose.err) == errors_after_preparation(r.err)

    def test_version_that_cannot_be_read(self):
        env = {"HALCONROOT": installation("halcon-noversion")}
        r = run("velotrax", "--get-version", env=env)
        assert (r.status, r.out) == (1, "")
        assert errors_after_preparation(r.err) == [f"could not determine version of {HALCONCPP}"]
        verbose = run("velotrax", "--get-version", "-v", env=env)
        step, failure = errors_after_preparation(verbose.err)
        # The step of reading the version that failed, as Windows names it, on every platform.
        assert re.fullmatch(r"Error in GetFileVersionInfoSize: \d+", step)
        assert failure == f"could not determine version of {HALCONCPP}"

    @pytest.mark.parametrize("verbose", [False, True], ids=["plain", "verbose"])
    def test_no_bridge_for_the_version(self, verbose):
        r = run("velotrax", "--get-version", *(["-v"] if verbose else []),
                env={"HALCONROOT": installation("halcon-12.0")})
        assert r.status == 1
        assert r.err == unsupported("12.0", verbose)

    def test_a_bridge_without_every_export(self):
        r = run_copy(os.path.join(BRIDGES, "no-prepare-shutdown", PROGRAM), "--get-version")
        assert (r.status, r.out, r.err) == (
            1, "", "could not resolve symbol hprepareShutdown in wrapper module\n")

    def test_a_bridge_without_the_window_dump_refuses_dump_windows(self, tmp_path):
        """The recording bridge forwards the 50 exports and no optional one."""
        out = tmp_path / "out"
        r = run_copy(os.path.join(BRIDGES, "recording", PROGRAM), "--no-dialogs",
                     "--dump-windows", native_path(str(out)), "x.hdev",
                     env={"VELOTRAX_BRIDGE_TARGET": native_path(REAL_BRIDGE)})
        bridge = native_path(os.path.join(BRIDGES, "recording", BRIDGE_FILE))
        assert (r.status, r.err) == (
            1, f"the bridge {bridge} cannot dump windows: it has no hdumpWindows entry\n")
        assert not out.exists()


class TestTruncatedLibraries:
    """A library cut short, as an interrupted copy leaves it, fails to load like any other bad
    library, instead of being mapped past its end and killing the runner when touched."""

    @staticmethod
    def could_not_load(err, name, path):
        failure = errors_after_preparation(err)[-1]
        if WINDOWS:  # the system's text, with the line break Windows ends it with
            assert failure.startswith(f"Could not load {name}: ") and failure[len(name) + 16:]
        else:
            assert failure == f"Could not load {name}: {path}: file too short"

    @staticmethod
    def cut_short(path):
        """The headers stay; the loadable part ends early (debug information, at the end of the
        file, makes up most of a library, and cutting only into it changes nothing)."""
        os.truncate(os.path.realpath(path), 16 << 10)

    def test_vision_library(self, tmp_path):
        libraries = os.path.join(LIBRARY_DIRECTORY, ARCHITECTURE)
        shutil.copytree(os.path.join(HALCONROOT, libraries), tmp_path / libraries, symlinks=True)
        self.cut_short(tmp_path / libraries / HALCONCPP)
        root = native_path(str(tmp_path))
        r = run("velotrax", "--get-version", env={"HALCONROOT": root})
        assert (r.status, r.out) == (1, "")
        self.could_not_load(r.err, HALCONCPP, library_directory(root) + "/" + HALCONCPP)

    def test_bridge(self, copied_runner):
        home, work = copied_runner
        shutil.copy(REAL_BRIDGE, home / BRIDGE_FILE)
        self.cut_short(home / BRIDGE_FILE)
        r = run_copy(str(home / PROGRAM), "--get-version", cwd=work)
        assert (r.status, r.out) == (1, "")
        bridge = native_path(str(home / BRIDGE_FILE))
        self.could_not_load(r.err, bridge, bridge)


class TestBridgeLookup:
    def test_beside_the_program_wins_over_the_working_directory(self, copied_runner):
        home, work = copied_runner
        shutil.copy(REAL_BRIDGE, home / BRIDGE_FILE)
        (work / BRIDGE_FILE).mkdir()  # loading this one would fail
        r = run_copy(str(home / PROGRAM), "--get-version", cwd=work)
        assert (r.status, r.out, r.err) == (0, ANSWER, "")

    def test_the_working_directory_is_second_and_any_entry_counts(self, copied_runner):
        home, work = copied_runner
        (work / BRIDGE_FILE).mkdir()
        r = run_copy(str(home / PROGRAM), "--get-version", cwd=work)
        assert (r.status, r.out) == (1, "")
        prefix = f"Could not load {native_path(str(work / BRIDGE_FILE))}: "
        assert r.err.startswith(prefix) and len(r.err) > len(prefix) + 1
        shutil.copy(REAL_BRIDGE, home / "x")  # a file of another name is no bridge
        (work / BRIDGE_FILE).rmdir()
        shutil.copy(REAL_BRIDGE, work / BRIDGE_FILE)
        assert run_copy(str(home / PROGRAM), "--get-version", cwd=work).out == ANSWER

    def test_path_is_not_searched(self, copied_runner):
        home, work = copied_runner
        path = native_path(BIN) + (";" if WINDOWS else ":") + os.environ.get("PATH", "")
        r = run_copy(str(home / PROGRAM), "--get-version", cwd=work, env={"PATH": path})
        assert (r.status, r.err) == (1, unsupported("13.0", False))


@pytest.mark.skipif(WINDOWS, reason="ELF search paths")
def test_the_bridge_names_no_search_path():
    """Its libraries come from the installation the runner chose, never from the build's."""
    import subprocess
    dynamic = subprocess.run(["readelf", "-d", REAL_BRIDGE], capture_output=True, text=True,
                             check=True).stdout
    assert "(NEEDED)" in dynamic and "libhalconcpp" in dynamic
    assert "(RPATH)" not in dynamic and "(RUNPATH)" not in dynamic


class TestChosenInstallation:
    """Two installations of different versions, one after the other: the process maps the
    libraries of the one chosen, as the recording bridge reports from inside it."""

    @staticmethod
    def mapped(tmp_path, root):
        log = tmp_path / "calls.log"
        log.unlink(missing_ok=True)
        r = run_copy(os.path.join(BRIDGES, "recording", PROGRAM), "--get-version", env={
            "HALCONROOT": root, "VELOTRAX_BRIDGE_TARGET": native_path(REAL_BRIDGE),
            "VELOTRAX_BRIDGE_LOG": native_path(str(log))})
        assert (r.status, r.out, r.err) == (0, ANSWER, "")
        return [line[7:] for line in log.read_text().splitlines() if line.startswith("mapped ")]

    def test_each_root_brings_its_own_libraries(self, tmp_path):
        for root in (BUILD_ROOT, installation("halcon-13.0.2"), BUILD_ROOT):
            files = self.mapped(tmp_path, root)
            names = sorted(os.path.basename(f.replace("\\", "/")) for f in files)
            if WINDOWS:
                assert names == ["halcon.dll", "halconcpp.dll", "hdevenginecpp.dll"]
            else:
                version = "13.0.2" if root.endswith("halcon-13.0.2") else "13.0.1"
                assert names == [f"lib{base}.so.{version}"
                                 for base in ("halcon", "halconcpp", "hdevenginecpp")]
            for file in files:
                assert file.startswith(root + ("\\" if WINDOWS else "/")), file
