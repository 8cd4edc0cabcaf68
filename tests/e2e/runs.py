"""Runs velotrax on scripts against the stand-in installation, writes script files, and turns
console output into text that is the same on every machine and platform."""
import fcntl
import os
import pty
import re
import select
import struct
import subprocess
import termios
import time
import zlib
from xml.sax.saxutils import escape

import pytest

from conftest import (BIN, TIMEOUT, WINDOWS, Result, command, completed, environment, run,
                      shown_text, squeezed, text)

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


WATCHING = ("Watching for directory changes or key presses in the console window... "
            "Press 'ESC' to exit.")
ESC = b"\x1b"
keys_only = pytest.mark.skipif(WINDOWS, reason="keys are typed on a pseudo-terminal (Linux)")


class Session:
    """The runner in watch mode, read while it writes: on a pseudo-terminal natively, through a
    pipe under Wine. Standard output and error arrive in the order they were written."""

    def __init__(self, *args, cwd, as_nobody=False, controlling=False, quiet=QUIET, env=None,
                 keys=False):
        """controlling: the pseudo-terminal is the runner's controlling terminal, with job control
        and "stty tostop", as in a user's shell. keys: under Wine too on a pseudo-terminal, whose
        console takes typed keys; it redraws its text, so texts are compared without blanks."""
        env = environment({"HALCONROOT": HALCONROOT, **(env or {})})
        become = None
        if as_nobody:
            def become():
                os.setgid(65534)
                os.setuid(65534)
        elif controlling:
            def become():
                fcntl.ioctl(0, termios.TIOCSCTTY, 0)
        self.squeeze = WINDOWS and keys
        if WINDOWS and not keys:
            reading, writing = os.pipe()
            stdin, stdout = subprocess.DEVNULL, writing
        else:
            reading, writing = pty.openpty()
            stdin = stdout = writing
            # Wide, so the console wraps no line.
            fcntl.ioctl(writing, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 1000, 0, 0))
            if controlling:
                modes = termios.tcgetattr(writing)
                modes[3] |= termios.TOSTOP
                termios.tcsetattr(writing, termios.TCSANOW, modes)
        self.proc = subprocess.Popen(command("velotrax", quiet + args), stdin=stdin,
                                     stdout=stdout, stderr=stdout, cwd=cwd, env=env,
                                     close_fds=True, preexec_fn=become,
                                     start_new_session=controlling)
        os.close(writing)
        self.fd = reading
        self.cwd = cwd
        self.shown = b""
        self.status = None

    def text(self):
        return shown_text(self.shown).decode("utf-8", "replace")

    def count(self, part):
        if self.squeeze:
            return squeezed(self.text().encode()).count(squeezed(part.encode()))
        return self.text().count(part)

    def _read(self, timeout):
        if self.fd is None:
            return False
        if select.select([self.fd], [], [], timeout)[0]:
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:  # the terminal closed: every writer is gone
                chunk = b""
            if chunk:
                self.shown += chunk
                return True
            os.close(self.fd)
            self.fd = None
        return False

    def wait_until(self, condition, what, timeout=TIMEOUT):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                raise AssertionError(f"never saw {what}; shown:\n{self.text()}")
            if self.fd is None:  # all output is in; the process may still be ending
                if self.proc.poll() is not None and not condition():
                    raise AssertionError(f"never saw {what}; shown:\n{self.text()}")
                time.sleep(0.05)
            self._read(0.05)

    def wait_for(self, part, times=1):
        self.wait_until(lambda: self.count(part) >= times, f"{part!r} {times} times")

    def quiet_for(self, seconds):
        """Reads whatever comes in the next `seconds`."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self._read(0.05)

    def type(self, keys):
        os.write(self.fd, keys)

    def end(self):
        """Waits for the runner to end by itself, reading what it writes; its exit status."""
        self.wait_until(lambda: self.proc.poll() is not None, "the end of the runner")
        while self._read(0.2):
            pass
        self.status = self.proc.returncode
        return self.status

    def stop(self):
        """Ends the runner from outside, as a console's close or Ctrl+C would, and with it its
        child. Output is read meanwhile, so no writer is held up by a full terminal."""
        if self.proc.poll() is None:
            self.proc.terminate()
        self.wait_until(lambda: self.proc.poll() is not None, "the end of the runner")
        return self.end()

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=TIMEOUT)
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None


def finish(session):
    """Ends a session: ESC on a terminal (exit status 0 expected), the process under Wine."""
    if WINDOWS and not session.squeeze:
        session.stop()
        return
    session.type(ESC)
    assert session.end() == 0


def virtual_screen():
    """An Xvfb server on a display number it picks itself and tells through -displayfd (other
    tests may run screens at the same time); the server and the display's name."""
    reading, writing = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(writing), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp", "-noreset"], pass_fds=(writing,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(writing)
    try:
        told = b""
        deadline = time.monotonic() + TIMEOUT
        while not told.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([reading], [], [], left)[0]:
                server.kill()
                server.wait(timeout=TIMEOUT)
                raise AssertionError("Xvfb never told its display number")
            chunk = os.read(reading, 16)
            if not chunk:
                server.wait(timeout=TIMEOUT)
                raise AssertionError(f"Xvfb ended with status {server.returncode} before it "
                                     "told its display number")
            told += chunk
    finally:
        os.close(reading)
    return server, ":" + told.decode().strip()


def png_pixels(path):
    """The pixels of an 8-bit RGB PNG file without interlacing, as rows of (r, g, b)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data.startswith(b"\x89PNG\r\n\x1a\n"), path
    position, header, compressed = 8, None, b""
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
        position += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    assert (depth, colour_type, interlace) == (8, 2, 0), header
    raw, stride, rows = zlib.decompress(compressed), width * 3, []
    above = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):  # the five filter types, each against left, above, upper left
            a, b = line[x - 3] if x >= 3 else 0, above[x]
            c = above[x - 3] if x >= 3 else 0
            p = a + b - c
            nearest = min((abs(p - a), 0, a), (abs(p - b), 1, b), (abs(p - c), 2, c))[2]
            line[x] = (line[x] + (0, a, b, (a + b) // 2, nearest)[kind]) % 256
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, 3)])
        above = line
    return rows
