"""Choosing the HALCON installation and preparing the process for it, seen from outside through
the version query: roots from the variable, the option and the registry, and the messages about
what is missing."""
import os

import pytest

from binding_support import (ARCHITECTURE, BUILD_ROOT, SEPARATOR, described, installation,
                             library, library_directory, no_registry, registry)
from conftest import WINDOWS, native_path, run

ANSWER = "halconversion:13.0.1\n"
# Under Wine, installations are registered in the one registry of the run's prefix: one worker
# of a parallel run takes all of these tests.
pytestmark = pytest.mark.xdist_group("registry")
NOT_FOUND = 'could not find a HALCON version matching "{}" on your machine.\n'


def setting(name, value):
    return f"Setting internal environment variable {name} to {value}"


def root_in_use(out):
    """The HALCONROOT line of the verbose environment block."""
    return next(line for line in out.splitlines() if line.startswith("  HALCONROOT      : "))[20:]


class TestRootChoice:
    def test_inherited_variable(self):
        r = run("velotrax", "--get-version")
        assert (r.status, r.out, r.err) == (0, ANSWER, "")

    def test_option_sets_the_variable(self):
        r = run("velotrax", "--get-version", "-v", "--halconroot", BUILD_ROOT,
                env={"HALCONROOT": None})
        assert (r.status, r.err) == (0, "")
        assert r.out.splitlines()[0] == setting("HALCONROOT", BUILD_ROOT)
        assert r.out.endswith(ANSWER)

    def test_equal_roots_set_nothing(self):
        r = run("velotrax", "--get-version", "-v", "--halconroot", BUILD_ROOT)
        assert (r.status, r.err) == (0, "")
        assert "Setting internal environment variable" not in r.out
        assert root_in_use(r.out) == BUILD_ROOT

    def test_registered_version(self, registry):
        env = registry(described("13.0.1", BUILD_ROOT))
        env["HALCONROOT"] = None
        r = run("velotrax", "--get-version", "-v", "-n", "13.0", env=env)
        assert (r.status, r.err) == (0, "")
        examples = BUILD_ROOT + SEPARATOR + "examples"
        assert r.out.splitlines()[:3] == [setting("HALCONEXAMPLES", examples),
                                          setting("HALCONIMAGES", examples + SEPARATOR + "images"),
                                          setting("HALCONROOT", BUILD_ROOT)]
        assert r.out.endswith(ANSWER)
        assert run("velotrax", "--get-version", "-n", "13.0", env=env).out == ANSWER

    def test_registered_version_replaces_the_option(self, registry):
        env = registry(described("13.0", BUILD_ROOT))
        r = run("velotrax", "--get-version", "-v", "--halconroot", native_path("/nowhere"),
                "-n", "13.0", env=env)
        assert (r.status, r.err) == (0, "")
        assert root_in_use(r.out) == BUILD_ROOT

    def test_the_exact_version_comes_first(self, registry):
        env = registry(described("12.0", installation("halcon-12.0")),
                       described("13.0.1", installation("halcon-12.0")),
                       described("13.0", BUILD_ROOT))
        r = run("velotrax", "--get-version", "-v", "-n", "13.0", env=env)
        assert (r.status, r.err, root_in_use(r.out)) == (0, "", BUILD_ROOT)

    def test_a_prefix_takes_the_first_match(self, registry):
        # Wine lists subkeys sorted; the registry file keeps the order it names them in.
        other = "13.1" if WINDOWS else "13.0"
        env = registry(described("13.0.1", BUILD_ROOT), described(other, installation("halcon-12.0")))
        r = run("velotrax", "--get-version", "-v", "-n", "13", env=env)
        assert (r.status, r.err, root_in_use(r.out)) == (0, "", BUILD_ROOT)

    def test_unknown_version(self, registry):
        env = registry(described("12.0", BUILD_ROOT), described("13.0", BUILD_ROOT))
        r = run("velotrax", "--get-version", "-n", "20.05", env=env)
        assert (r.status, r.out, r.err) == (1, "", NOT_FOUND.format("20.05"))

    def test_no_registered_installations(self, no_registry):
        r = run("velotrax", "--get-version", "-n", "13.0", env=no_registry)
        assert (r.status, r.out) == (1, "")
        assert r.err == ("Retrieving key SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\ failed: "
                         "RegOpenKeyEx failed.\n" + NOT_FOUND.format("13.0"))

    def test_a_damaged_later_match_ends_the_run(self, registry):
        env = registry(described("13.0", BUILD_ROOT), ("13.0.1", {"InstallDir": BUILD_ROOT}))
        r = run("velotrax", "--get-version", "-n", "13", env=env)
        assert (r.status, r.out) == (1, "")
        assert r.err == "Cannot get size of string value: RegGetValue failed.\n"

    def test_a_version_that_is_not_utf8(self, no_registry):
        # Wine hands the program its arguments in the ANSI code page: é is one byte there.
        version = "13.\u00e9" if WINDOWS else os.fsdecode(b"13.\xe9")
        r = run("velotrax", "--get-version", "-n", version, env=no_registry)
        assert (r.status, r.out, r.err) == (1, "", "bad conversion\n")

    @pytest.mark.skipif(WINDOWS, reason="the registry file is the Linux registry")
    def test_a_malformed_registry_line_is_named(self, tmp_path):
        path = tmp_path / "registry.reg"
        path.write_text("Windows Registry Editor Version 5.00\n\n"
                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\13.0"
                        "\\Initialized]\n"
                        f'"InstallDir"="{BUILD_ROOT}"\n'
                        '"Architecture"=x64-linux\n')
        r = run("velotrax", "--get-version", "-n", "13.0", env={"VELOTRAX_REGISTRY": str(path)})
        assert (r.status, r.out) == (1, "")
        assert r.err == (f"warning: registry file {path} line 5 is malformed (bad value); the "
                         "key it belongs to cannot be opened\nRegOpenKeyEx failed.\n")


class TestMissingInstallation:
    def test_unset_root_is_reported_and_the_preparation_continues(self, tmp_path):
        r = run("velotrax", "--get-version", env={"HALCONROOT": None}, cwd=tmp_path)
        directory = library_directory("")
        assert (r.status, r.out) == (1, "")
        assert r.err.splitlines()[:7] == [
            "The environment variable HALCONROOT does not exist.",
            f"Please make sure you have installed the {ARCHITECTURE} architecture of HALCON.",
            f"Could not find the required HALCON directory {directory}. Please make sure you "
            f"have installed the {ARCHITECTURE} architecture of HALCON at .",
        ] + [f"warning: library {directory}{SEPARATOR}{library(base)} does not exist"
             for base in ("halcon", "halconc", "halconcpp", "hdevenginecpp")]
        # Then the bridge cannot be loaded: the preparation went on.
        assert r.err.splitlines()[7].startswith(f"Could not load {library('halconcpp')}: ")

    def test_missing_root_directory_with_verbose(self, tmp_path):
        root = native_path(str(tmp_path / "gone"))
        r = run("velotrax", "--get-version", "-v", env={"HALCONROOT": root})
        assert r.err.splitlines()[0] == "Directory specified in HALCONROOT does not exist: " + root
        assert "Directory specified" not in run("velotrax", "--get-version",
                                                env={"HALCONROOT": root}).err

    @pytest.mark.skipif(not WINDOWS, reason="Linux builds have no other architecture")
    def test_other_architecture_only(self, tmp_path):
        (tmp_path / "bin" / "x86sse2-win32").mkdir(parents=True)
        root = native_path(str(tmp_path))
        r = run("velotrax", "--get-version", env={"HALCONROOT": root})
        assert r.err.splitlines()[0] == (
            f"It seems you have installed the x86sse2-win32 architecture of HALCON at "
            f"{root}\\bin\\x86sse2-win32 but you are using the x64-win64 architecture of "
            "Velotrax. You have to either install the x64-win64 architecture of HALCON or "
            "execute the x86sse2-win32 architecture of Velotrax.")

    def test_verbose_environment_block(self):
        r = run("velotrax", "--get-version", "-v", env={
            "HALCONIMAGES": "images dir", "HALCONEXAMPLES": "", "HALCONEXTENSIONS": "ext;more"})
        assert (r.status, r.err) == (0, "")
        assert r.out == (
            f'Setting search path for HALCON shared libraries to "{library_directory(BUILD_ROOT)}"\n'
            "Using HALCON library with the following relevant environment variables:\n"
            f"  HALCONROOT      : {BUILD_ROOT}\n"
            f"  HALCONARCH      : {ARCHITECTURE}\n"
            "  HALCONIMAGES    : images dir\n"
            "  HALCONEXAMPLES  : \n"
            "  HALCONEXTENSIONS: ext;more\n"
            "Loading HALCON library\n" + ANSWER)
