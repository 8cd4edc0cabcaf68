"""The build's own scripts: where mingw-deps.sh takes the archive it fetches Debian's sources
from, and that no file of the repository names a host of its own."""
import os
import re
import subprocess

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEPS = os.path.join(ROOT, "scripts", "mingw-deps.sh")



def machine_archive():
    """The first archive this machine's apt configuration names: the tests' sources use it, so
    that no address is written here."""
    for directory, names in (("/etc/apt", ["sources.list"]),
                             ("/etc/apt/sources.list.d", sorted(os.listdir("/etc/apt/sources.list.d"))
                              if os.path.isdir("/etc/apt/sources.list.d") else [])):
        for name in names:
            if not name.endswith((".list", ".sources")) or not os.path.isfile(
                    os.path.join(directory, name)):
                continue
            with open(os.path.join(directory, name), encoding="utf-8", errors="replace") as f:
                found = re.search(r"^(?:URIs:\s*|deb\s+(?:\[[^]]*\]\s*)?)(\S+)", f.read(), re.M)
            if found:
                return found.group(1).rstrip("/")
    return None


ARCHIVE = machine_archive()
pytestmark = pytest.mark.skipif(ARCHIVE is None, reason="this machine's apt names no archive")
MAIN, SECURITY, ONE, PLAIN = (f"{ARCHIVE}/{part}" for part in ("main", "security", "one", "plain"))

DEB822 = f"""Types: deb
URIs: {SECURITY}
Suites: bookworm-security
Signed-By: /keys/security.gpg

# The main archive.
Types: deb deb-src
URIs: {MAIN}
Suites: bookworm bookworm-updates
Components: main
Signed-By: /keys/main.gpg
"""
ONE_LINE = (f"# deb {ARCHIVE}/commented bookworm main\n"
            f"deb [arch=amd64 signed-by=/keys/one.gpg] {ONE} bookworm main\n")


def print_source(tmp_path, files):
    for name, text in files.items():
        path = tmp_path / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    (tmp_path / "sources.list.d").mkdir(exist_ok=True)
    return subprocess.run(["bash", DEPS, "--print-source"], capture_output=True, text=True,
                          timeout=60, env={**os.environ, "VELOTRAX_APT_ETC": str(tmp_path)})


@pytest.mark.parametrize("files, source", [
    ({"sources.list.d/debian.sources": DEB822}, f"{MAIN}\t/keys/main.gpg"),
    ({"sources.list": ONE_LINE}, f"{ONE}\t/keys/one.gpg"),
    ({"sources.list.d/a.list": f"deb {PLAIN} bookworm main\n",
      "sources.list.d/b.sources": DEB822}, f"{PLAIN}\t-"),
    ({"sources.list.d/off.sources": DEB822.replace("Types: deb deb-src", "Enabled: no\nTypes: deb")},
     None),
    ({}, None),
], ids=["deb822", "one-line", "first-file-wins", "disabled", "none"])
def test_the_archive_comes_from_the_machines_apt_configuration(tmp_path, files, source):
    r = print_source(tmp_path, files)
    if source is None:
        assert r.returncode == 1 and r.stdout == ""
        assert r.stderr.startswith("mingw-deps: ERROR: no apt source for the suite bookworm in ")
    else:
        assert (r.returncode, r.stdout) == (0, source + "\n"), r.stderr


def test_no_file_of_the_repository_names_a_host():
    """Addresses in the repository are for tests only, under the reserved top-level domain. XML
    namespace names (the schema language's own) are names, never fetched."""
    listed = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, capture_output=True, check=True,
                            timeout=60).stdout.decode().split("\0")
    named = []
    for name in filter(None, listed):
        with open(os.path.join(ROOT, name), "rb") as f:
            text = f.read().decode("utf-8", "replace")
        for host in re.findall(r"[A-Za-z][A-Za-z0-9+.-]*://([^/\s\"'<>:]*)", text):
            if host and not host.endswith(".invalid") and host not in ("localhost", "127.0.0.1", "www.w3.org"):
                named.append(f"{name}: {host}")
    assert named == []
