"""Runs one example script through the stand-in driver and checks it against the script's own
comment lines: `* arguments: ...` gives the procedure's inputs, and the run must print exactly
the `* expect: ...` lines, in order. The script must also pass a load-only check. Both run in a
temporary directory, which takes the files the script writes; images the script reads are found
through HALCONIMAGES.

    run_example.py [LAUNCHER...] STANDIN_RUN SCRIPT
"""
import html
import os
import re
import subprocess
import sys
import tempfile


def comments(path, key):
    """The text after `* key:` of every comment line of the script, in order."""
    with open(path, encoding="utf-8") as f:
        lines = [html.unescape(c) for c in re.findall(r"<c>(.*?)</c>", f.read())]
    prefix = "* " + key + ":"
    return [line[len(prefix):].strip() for line in lines if line.startswith(prefix)]


def output(command, directory):
    done = subprocess.run(command, capture_output=True, timeout=120, cwd=directory)
    text = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    return done.returncode, text.splitlines()


def main():
    *driver, script = sys.argv[1:]
    script = os.path.abspath(script)
    expected = comments(script, "expect")
    if not expected:
        sys.exit(f"{script}: no '* expect:' lines")
    arguments = " ".join(comments(script, "arguments")).split()
    checks = [(driver + ["--check", script], 0, ["check succeeded"]),
              (driver + [script] + arguments, 0, expected)]
    for command, status, lines in checks:
        with tempfile.TemporaryDirectory() as directory:
            got_status, got = output(command, directory)
        if (got_status, got) != (status, lines):
            print("command: " + " ".join(command))
            print("expected (status %d):\n  %s" % (status, "\n  ".join(lines)))
            print("got (status %d):\n  %s" % (got_status, "\n  ".join(got)))
            sys.exit(1)


main()
