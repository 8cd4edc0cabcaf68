"""JUnit reports and batches: a report of each kind of run, checked against the JUnit schema and
read back by a JUnit consumer; a report that cannot be written; and --all over a folder that
mixes passes, failures, a crash and an endless loop, whole, sharded and interrupted."""
import os
import re
import select
import signal
import subprocess
import time

import junitparser
import pytest

from conftest import WINDOWS, command, environment
from runs import (HALCONROOT, QUIET, WATCHING, Session, native, printing, procedure, script,
                  velotrax, write)

SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "junit.xsd")


def valid(path):
    """Checks the report against the schema, then reads it as a CI system would."""
    checked = subprocess.run(["xmllint", "--noout", "--schema", SCHEMA, path],
                             capture_output=True, text=True, timeout=30)
    assert checked.returncode == 0, checked.stderr
    suites = junitparser.JUnitXml.fromfile(path)
    return [case for suite in suites for case in suite]


def failure_of(case):
    return next((r for r in case.result if isinstance(r, junitparser.Failure)), None)


@pytest.fixture(scope="module")
def folder(tmp_path_factory):
    d = tmp_path_factory.mktemp("reports")
    write(d, "sum.hdvp", script(procedure("sum", ["Value := 21 + 34"], outputs=["Value"])))
    write(d, "divide.hdev", script(procedure("main", ["A := 1", "B := A / 0", "C := 2"])))
    write(d, "invalid.hdev", script(procedure("main", ["A := 1", "B := := 2"])))
    write(d, "markup.hdvp", script(procedure("markup", ["Text := '<&> \"quoted\" ]]>'"],
                                             outputs=["Text"])))
    return d


# Each kind of run: its options, status, and what its one testcase says.
CASES = [
    (["sum.hdvp"], 0, "sum.hdvp", "sum", None, "Value: 55"),
    (["divide.hdev"], 1, "divide.hdev", "main", "HDevEngineException", "B := A / 0 <------------"),
    (["-s", "divide.hdev"], 1, "divide.hdev", "main", "HDevEngineException", "<------------"),
    (["-c", "invalid.hdev"], 1, "invalid.hdev", "main", "HDevEngineException", "B := := 2"),
    (["markup.hdvp"], 0, "markup.hdvp", "markup", None, '<&> "quoted" ]]>'),
]


@pytest.mark.parametrize("args,status,classname,name,failure_type,text", CASES)
def test_a_report_describes_the_run(folder, args, status, classname, name, failure_type, text):
    report = folder / f"report-{'-'.join(args)}.xml"
    r = velotrax("--report", native(str(report)), *args, cwd=str(folder))
    assert r.status == status, r
    [case] = valid(str(report))
    assert (case.classname, case.name) == (classname, name)
    failure = failure_of(case)
    if failure_type is None:
        assert failure is None and text in case.system_out
    else:
        assert failure.type == failure_type
        assert failure.message and "\n" not in failure.message
        assert text in failure.text and "error code" in failure.message


@pytest.mark.skipif(WINDOWS, reason="a small file system is mounted in a namespace (Linux)")
def test_a_full_disk_keeps_the_previous_report(folder, tmp_path):
    disk = tmp_path / "disk"
    disk.mkdir()
    write(tmp_path, "loud.hdvp", script(procedure(
        "loud", ["Text := ''", "for I := 1 to 2000 by 1", "    Text := Text + '" + "x" * 50 + "'",
                 "endfor"], outputs=["Text"])))
    velotrax_path = command("velotrax", [])[0]
    # The previous report fits the 64 KiB disk; the loud run's does not.
    shell = (f'mount -t tmpfs -o size=64k tmpfs "{disk}" && '
             f'"{velotrax_path}" {" ".join(QUIET)} --report "{disk}/r.xml" "{folder}/sum.hdvp" && '
             f'cp "{disk}/r.xml" "{tmp_path}/before.xml" && '
             f'"{velotrax_path}" {" ".join(QUIET)} --report "{disk}/r.xml" "{tmp_path}/loud.hdvp"; '
             f'echo "status $?"; cp "{disk}/r.xml" "{tmp_path}/after.xml"; ls -a "{disk}"')
    done = subprocess.run(["unshare", "-rm", "sh", "-c", shell], capture_output=True, text=True,
                          env=environment({"HALCONROOT": HALCONROOT}), timeout=60)
    assert "status 1" in done.stdout, done
    assert f"could not write the report {disk}/r.xml: No space left on device" in done.stderr
    assert (tmp_path / "after.xml").read_bytes() == (tmp_path / "before.xml").read_bytes()
    assert done.stdout.split()[-3:] == [".", "..", "r.xml"]  # no temporary file left behind
    [case] = valid(str(tmp_path / "after.xml"))
    assert case.name == "sum"


@pytest.mark.parametrize("options", [(), ("-s",)])
def test_in_watch_mode_the_report_holds_the_latest_pass(tmp_path, options):
    write(tmp_path, "flip.hdvp", script(procedure("flip", ["V := 1 / 0"], outputs=["V"])))
    s = Session("-w", *options, "--report", "r.xml", "flip.hdvp", cwd=str(tmp_path))
    try:
        s.wait_for(WATCHING, 2)
        # Writing the report into the watched directory starts no pass of its own.
        s.quiet_for(1)
        assert s.count(WATCHING) == 2, s.text()
        [case] = valid(str(tmp_path / "r.xml"))
        assert failure_of(case).type == "HDevEngineException"
        write(tmp_path, "flip.hdvp", script(procedure("flip", ["V := 1"], outputs=["V"])))
        # A pass that a second change ends leaves the report as it was: wait for the one after.
        # Bounded below the test's own limit, so that a failure shows what the runner wrote.
        s.wait_until(lambda: failure_of(valid(str(tmp_path / "r.xml"))[0]) is None,
                     "a report of the passing run", timeout=20)
        [case] = valid(str(tmp_path / "r.xml"))
        assert "V: 1" in case.system_out
    finally:
        s.close()


def batch_folder(d, count):
    """`count` scripts: mostly passes, with runtime errors, invalid lines, a crash of the
    library and an endless loop. Their names, sorted, and the kinds of the failing ones."""
    kinds = {}
    for i in range(count):
        name = f"case{i:03d}.hdev"
        if i == count // 2:
            kind, lines = "crash", ["set_system ('inject_fault', 'crash')"]
        elif i == count - 1:
            kind, lines = "timeout", ["while (1)", "endwhile"]
        elif i % 10 == 3:
            kind, lines = "HDevEngineException", ["A := 1 / 0"]
        elif i % 10 == 7:
            kind, lines = "invalid", ["A := := 1"]
        else:
            kind, lines = None, printing(f"'case {i}'")
        write(d, name, script(procedure("main", lines)))
        kinds[name] = kind
    # A file that is no script, and a file name that is not UTF-8 and holds a control character.
    write(d, "notes.txt", "not a script")
    if not WINDOWS:
        odd = os.path.join(str(d), b"odd\xff\x01.hdev".decode("utf-8", "surrogateescape"))
        with open(odd, "w") as f:
            f.write(script(procedure("main", ["A := 1"])))
        kinds["odd"] = None
    return kinds


BATCH_SIZE = 12 if WINDOWS else 200


@pytest.fixture(scope="module")
def batch(tmp_path_factory):
    d = tmp_path_factory.mktemp("batch")
    return d, batch_folder(d / "scripts", BATCH_SIZE)


# Hundreds of runs: room for a sanitizer build on a busy machine.
@pytest.mark.timeout(120)
def test_a_batch_reports_every_script_once(batch):
    d, kinds = batch
    r = velotrax("--all", "scripts", "--jobs", "3", "--timeout", "3", "--report", "all.xml",
                 cwd=str(d))
    assert r.status == 1, r
    failed = sum(1 for k in kinds.values() if k not in (None, "timeout"))
    passed = len(kinds) - failed - 1
    summary = (f"Batch: {passed} passed, {failed} failed, 1 timed out ({len(kinds)} scripts, ")
    assert summary in r.err
    # One result line per script, each whole.
    results = re.findall(r"^Execution of .*(?:succeeded \(\d+ms\)|failed.*)\.$",
                         r.out + r.err, re.M)
    assert len(results) == len(kinds), results

    cases = valid(str(d / "all.xml"))
    assert len(cases) == len(kinds)
    assert [c.classname for c in cases] == sorted(c.classname for c in cases)
    for case in cases:
        kind = kinds.get(os.path.basename(case.classname), kinds.get("odd"))
        failure = failure_of(case)
        if kind is None:
            assert failure is None, case.classname
            continue
        assert failure is not None, case.classname
        if kind == "crash":
            assert failure.type == "crash" and "ended without a result" in failure.message
        elif kind == "timeout":
            assert failure.type == "timeout" and failure.message == "timed out after 3 s"
        else:
            assert failure.type == "HDevEngineException", case.classname


@pytest.mark.timeout(120)
def test_shards_cover_the_list_once(batch):
    d, kinds = batch
    shards = []
    for k in (1, 2, 3):
        report = f"shard{k}.xml"
        r = velotrax("-c", "--all", "scripts", "--shard", f"{k}/3", "--report", report,
                     cwd=str(d))
        assert r.status in (0, 1), r
        shards.append([c.classname for c in valid(str(d / report))])
    union = [name for shard in shards for name in shard]
    assert len(union) == len(kinds) and len(set(union)) == len(kinds)
    assert union == sorted(union)  # contiguous slices of one sorted list


@pytest.mark.parametrize("args,message", [
    (["--all", "missing"], "no such script or directory: "),
    (["--all", ".", "x.hdev"], "--all runs the scripts it finds: name no script besides it"),
    (["--all", ".", "--shard", "4/3"], "--shard must be K/N, with 1 <= K <= N: 4/3"),
    (["--all", ".", "--shard", "1/0"], "--shard must be K/N, with 1 <= K <= N: 1/0"),
    (["--all", ".", "--jobs", "0"], "--jobs must be a number from 1 to 1024"),
    (["--all", ".", "--timeout", "nan"], "--timeout must be a number of seconds above 0"),
    (["--timeout", "5", "x.hdev"], "--jobs, --timeout and --shard go with --all"),
    (["--report", "", "x.hdev"], "--report needs a file name"),
])
def test_batch_options_are_checked(tmp_path, args, message):
    r = velotrax(*args, cwd=str(tmp_path))
    assert r.status == 1 and message in r.err, r


@pytest.mark.skipif(WINDOWS, reason="SIGTERM is a POSIX signal")
def test_sigterm_ends_every_child_and_writes_the_report(tmp_path):
    for i in range(20):
        write(tmp_path, f"scripts/slow{i:02d}.hdev",
              script(procedure("main", ["wait_seconds (0.3)"])))
    proc = subprocess.Popen(command("velotrax", QUIET + ("--all", "scripts", "--jobs", "2",
                                                          "--report", "r.xml")),
                            cwd=str(tmp_path), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=environment({"HALCONROOT": HALCONROOT}))
    seen = b""
    deadline = time.monotonic() + 30
    while seen.count(b"succeeded") < 3:
        if time.monotonic() > deadline:
            proc.kill()
            proc.wait(timeout=30)
            raise AssertionError(f"never saw three results: {seen!r}")
        if select.select([proc.stdout], [], [], 0.1)[0]:
            seen += os.read(proc.stdout.fileno(), 4096)
    proc.send_signal(signal.SIGTERM)
    out, err = proc.communicate(timeout=30)
    assert proc.returncode == 128 + signal.SIGTERM, (out, err)
    assert b"Batch interrupted: " in err
    marker = f"VELOTRAX_PARENT_PID={proc.pid}".encode()
    left = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if marker in f.read().split(b"\0"):
                    left.append(pid)
        except OSError:
            pass
    assert left == []
    cases = valid(str(tmp_path / "r.xml"))
    assert 3 <= len(cases) < 20


@pytest.mark.parametrize("options", [(), ("-s",)])
def test_pictures_are_the_report_s_attachments(tmp_path, options):
    write(tmp_path, "draw.hdev", script(procedure("main", [
        "dev_open_window (0, 0, 32, 24, 'black', W1)",
        "dev_open_window (0, 0, 32, 24, 'white', W2)"])))
    r = velotrax(*options, "--dump-windows", "pics", "--report", "r.xml", "draw.hdev",
                 cwd=str(tmp_path))
    assert r.status == 0, r
    [case] = valid(str(tmp_path / "r.xml"))
    pictures = [native(str(tmp_path / "pics" / f"draw.hdev-main-{n}.png")) for n in (1, 2)]
    assert re.findall(r"\[\[ATTACHMENT\|(.*)\]\]", case.system_out) == pictures
    assert all(os.path.exists(tmp_path / "pics" / f"draw.hdev-main-{n}.png") for n in (1, 2))
