"""What the HALCON binding tests share: the test installations and bridges the build makes, the
platform's names, and registered installations (a registry file on Linux, `wine reg add`
into the suite's prefix under Wine)."""
import os

import pytest

from conftest import BIN, HALCONROOT, WINDOWS, completed, environment, native_path

BUILD = os.path.dirname(os.path.abspath(BIN))
INSTALLATIONS = os.path.join(BUILD, "test-installations")
BRIDGES = os.path.join(BUILD, "test-bridges")
STANDIN_VERSION = "13.0.1"

ARCHITECTURE = "x64-win64" if WINDOWS else "x64-linux"
LIBRARY_DIRECTORY = "bin" if WINDOWS else "lib"
SEPARATOR = "\\" if WINDOWS else "/"
BRIDGE_FILE = "brimlet-13.0" + (".dll" if WINDOWS else ".so")
REAL_BRIDGE = os.path.join(BIN, BRIDGE_FILE)
PROGRAM = "velotrax" + (".exe" if WINDOWS else "")
VERSIONS_KEY = r"SOFTWARE\WOW6432Node\MVTec\HALCON"


def library(base):
    return base + ".dll" if WINDOWS else "lib" + base + ".so"


def library_directory(root):
    """The installation's library directory as the runner spells it."""
    return SEPARATOR.join([root, LIBRARY_DIRECTORY, ARCHITECTURE]) if root else \
        SEPARATOR.join([LIBRARY_DIRECTORY, ARCHITECTURE])


def installation(name):
    return native_path(os.path.join(INSTALLATIONS, name))


BUILD_ROOT = native_path(HALCONROOT)


def described(version, root, example_root=None):
    """The three values of a registered installation."""
    return (version, {"InstallDir": root, "Architecture": ARCHITECTURE,
                      "ExampleRoot": example_root if example_root is not None else root})


@pytest.fixture
def registry(tmp_path):
    """register(*installations) registers (version, values) pairs, in that order, and returns
    the environment a run needs to see them. Values left out are missing."""
    added = []

    def register(*installations):
        if WINDOWS:
            for version, values in installations:
                key = "HKLM\\" + VERSIONS_KEY + "\\" + version + "\\Initialized"
                added.append(key)
                wine_reg("add", key, "/f")
                for name, value in values.items():
                    wine_reg("add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f")
            return {}
        lines = ["Windows Registry Editor Version 5.00", ""]
        for version, values in installations:
            lines.append(f"[HKEY_LOCAL_MACHINE\\{VERSIONS_KEY}\\{version}\\Initialized]")
            for name, value in values.items():
                escaped = value.replace("\\", "\\\\").replace('"', '\\"')
                lines.append(f'"{name}"="{escaped}"')
        path = tmp_path / "registry.reg"
        path.write_text("\n".join(lines) + "\n", encoding="utf-8")
        return {"VELOTRAX_REGISTRY": str(path)}

    yield register
    if WINDOWS and added:
        wine_reg("delete", "HKLM\\SOFTWARE\\WOW6432Node\\MVTec", "/f")


def wine_reg(*args):
    """The registry editor, started like every program under test: by its file, which Wine loads
    directly (`wine reg` would go through start.exe and ShellExecuteEx, which the soak saw fail
    now and then while other workers started programs), and a start that Wine fails silently is
    repeated and counted. A failure names what the editor said."""
    env = environment()
    editor = os.path.join(env["WINEPREFIX"], "drive_c", "windows", "system32", "reg.exe")
    done = completed(["wine", editor, *args], env=env, capture_output=True)
    assert done.returncode == 0, f"wine reg {' '.join(args)}: status {done.returncode}, {done}"


@pytest.fixture
def no_registry(tmp_path):
    """The environment of a machine on which no installation is registered."""
    return {} if WINDOWS else {"VELOTRAX_REGISTRY": str(tmp_path / "none.reg")}


def run_copy(program, *args, env=None, cwd=None):
    """Runs a program at the given path (a copy of velotrax elsewhere), like conftest.run."""
    from conftest import LAUNCHER, Result, completed, text
    done = completed(([LAUNCHER] if LAUNCHER else []) + [program] + list(args),
                     capture_output=True, env=environment(env), cwd=cwd)
    return Result(done.returncode, text(done.stdout), text(done.stderr))
