"""Runs velotrax on scripts against the stand-in installation, writes script files, and turns
console output into text that is the same on every machine and platform."""
import os
import re
import subprocess
from xml.sax.saxutils import escape

from conftest import BIN, WINDOWS, Result, command, completed, environment, run, text

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPTS = os.path.join(HERE, "scripts")
BANNER = "Velotrax 1.0.4\n\n"


def native(path):
    """The path as the program under test sees it: Wine maps the Unix root to drive Z:."""
    path = os.path.abspath(path)
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


HALCONROOT = native(os.path.join(BIN, "..", "halconroot"))
QUIET = ("--no-dialogs", "--no-default-window")


def velotrax(*args, cwd=None, env=None):
    """A run with standard output and error apart."""
    return run("velotrax", *QUIET, *args, cwd=cwd, env={"HALCONROOT": HALCONROOT, **(env or {})})


def console(*args, cwd=None, env=None):
    """A run as a console shows it: both streams in the order they were written."""
    done = completed(command("velotrax", QUIET + args), stdout=subprocess.PIPE,
                     stderr=subprocess.STDOUT, cwd=cwd,
                     env=environment({"HALCONROOT": HALCONROOT, **(env or {})}))
    return Result(done.returncode, text(done.stdout), "")


def normalised(output, **directories):
    """Output with run times as N and the given directories as <name>, "/"-separated."""
    longest_first = sorted(((native(d), name) for name, d in directories.items()),
                           key=lambda item: -len(item[0]))
    for directory, name in longest_first:
        output = output.replace(directory, "<" + name + ">")
    if WINDOWS:
        output = output.replace("\\", "/")
    return re.sub(r"\(\d+ms\)", "(Nms)", output)


def procedure(name, lines, inputs=(), outputs=(), iconic_inputs=(), iconic_outputs=()):
    """One procedure element. Lines beginning with "*" are comments. A parameter written as
    "Name:1" is a vector of that dimension."""
    def parameters(tag, names, kind):
        if not names:
            return ""
        pars = []
        for entry in names:
            par, _, dimension = entry.partition(":")
            pars.append(f'<par name="{par}" base_type="{kind}" dimension="{dimension or 0}"/>\n')
        return f"<{tag}>\n" + "".join(pars) + f"</{tag}>\n"
    interface = (parameters("io", iconic_inputs, "iconic") + parameters("oo", iconic_outputs, "iconic")
                 + parameters("ic", inputs, "ctrl") + parameters("oc", outputs, "ctrl"))
    body = "".join(("<c>" if line.startswith("*") or not line else "<l>") + escape(line, {"'": "&apos;"})
                   + ("</c>\n" if line.startswith("*") or not line else "</l>\n") for line in lines)
    return (f'<procedure name="{name}">\n'
            + (f"<interface>\n{interface}</interface>\n" if interface else "<interface/>\n")
            + f"<body>\n{body}</body>\n<docu id=\"{name}\">\n<parameters/>\n</docu>\n</procedure>\n")


def script(*procedures):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<hdevelop file_version="1.1" halcon_version="13.0">\n'
            + "".join(procedures) + "</hdevelop>\n")


def write(directory, relative, content):
    path = os.path.join(str(directory), relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(content)
    return path


def printing(*texts):
    """Lines of a procedure body that write each text as one line on standard output."""
    lines = ["open_file ('standard', 'output', Out)"]
    for t in texts:
        lines += [f"fwrite_string (Out, {t})", "fnew_line (Out)"]
    return lines
