"""What the packages install beside the programs: the manual pages, which name every option
--help lists and render without a groff warning, and the bash completion, driven in bash."""
import os
import re
import subprocess

import pytest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BIN = os.environ.get("VELOTRAX_BIN", os.path.join(ROOT, "build", "linux", "bin"))
COMPLETION = os.path.join(ROOT, "completion", "velotrax")
PAGES = {"velotrax": os.path.join(ROOT, "runner", "velotrax.1"),
         "tintra": os.path.join(ROOT, "tintra", "tintra.1")}


def help_options(program):
    """The option names of the program's --help listing: its lines that begin with a dash."""
    text = subprocess.run([os.path.join(BIN, program), "--help"], capture_output=True, text=True,
                          timeout=30, check=True).stdout
    options = set()
    for line in text.splitlines():
        if line.lstrip().startswith("-"):
            head = re.split(r"\s{2,}| arg\b| \(=", line.strip())[0]
            options.update(re.findall(r"--?[\w-]+", head))
    return options


def render(page):
    """The page as man shows it in plain ASCII, and every warning groff gives on the way, for the
    terminal and for print (-ww)."""
    r = subprocess.run(["man", "--warnings=all", "-l", page], capture_output=True, text=True,
                       timeout=60, env={**os.environ, "LC_ALL": "C", "MANWIDTH": "100"})
    typeset = subprocess.run(["groff", "-ww", "-man", "-z", page], capture_output=True,
                             text=True, timeout=60)
    assert r.returncode == 0 and typeset.returncode == 0, r.stderr
    return r.stdout, r.stderr + typeset.stderr


def complete(words, directory, breaks=None):
    """COMPREPLY of the completion function for `words`, the last one being completed."""
    script = ('source "$1"; shift; [[ -n $BREAKS ]] && COMP_WORDBREAKS=$BREAKS; COMP_WORDS=("$@");'
              ' COMP_CWORD=$(($# - 1)); _velotrax; printf "%s\\n" "${COMPREPLY[@]}"')
    r = subprocess.run(["bash", "-c", script, "bash", COMPLETION, *words], cwd=directory,
                       capture_output=True, text=True, timeout=30,
                       env={**os.environ, "BREAKS": breaks or "",
                            "VELOTRAX_REGISTRY": os.path.join(directory, "registry.reg")})
    assert r.returncode == 0 and r.stderr == "", r.stderr
    return sorted(filter(None, r.stdout.split("\n")))


@pytest.mark.parametrize("program", sorted(PAGES))
def test_the_manual_page_names_every_option_and_renders_without_warnings(program):
    text, warnings = render(PAGES[program])
    assert warnings == ""
    options = help_options(program)
    missing = [o for o in sorted(options)
               if not re.search(r"(?<![\w-])" + re.escape(o) + r"(?![\w-])", text)]
    assert len(options) >= 10 and missing == []


@pytest.fixture(scope="module")
def scripts_directory(tmp_path_factory):
    directory = tmp_path_factory.mktemp("completion")
    for name in ("a.hdev", "b.hdvp", "notes.txt"):
        (directory / name).write_text("")
    (directory / "sub").mkdir()
    procedures = "".join(f'<procedure name="{name}">\n<body/>\n</procedure>\n'
                         for name in ("main", "gap_width", "mean_of"))
    (directory / "lib.hdpl").write_text(f'<?xml version="1.0"?>\n<hdevelop>\n{procedures}'
                                        "</hdevelop>\n")
    key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\MVTec\\HALCON\\{}\\Initialized]\r\n"
    (directory / "registry.reg").write_bytes(
        ("\ufeffWindows Registry Editor Version 5.00\r\n\r\n" + key.format("13.0")
         + key.format("18.11-Steady")).encode("utf-16-le"))
    return directory


@pytest.mark.parametrize("words, expected", [
    (["--no-d"], ["--no-default-window", "--no-dialogs"]),
    (["--watch-dirs", ""], ["sub"]),
    (["-v", "--halconroot", "s"], ["sub"]),
    (["-n", ""], ["13.0", "18.11-Steady"]),
    ([""], ["a.hdev", "b.hdvp", "lib.hdpl", "sub"]),
    (["--procedures-path", "sub", "l"], ["lib.hdpl"]),
    (["lib.hdpl", ":", ""], ["gap_width", "mean_of"]),
    (["-s", "lib.hdpl", ":", "m"], ["mean_of"]),
    (["b.hdvp", ""], []),
], ids=["option", "directory", "halconroot", "version", "scripts", "after-valued-option",
        "procedures", "procedure-prefix", "tuple-literal"])
def test_completion(scripts_directory, words, expected):
    assert complete(["velotrax", *words], scripts_directory) == expected


def test_completion_without_colon_word_breaks_completes_the_whole_word(scripts_directory):
    assert complete(["velotrax", "lib.hdpl:g"], scripts_directory, breaks=" ") == [
        "lib.hdpl:gap_width"]


def test_completion_offers_exactly_the_options_help_lists(tmp_path):
    assert complete(["velotrax", "-"], tmp_path) == sorted(help_options("velotrax"))
