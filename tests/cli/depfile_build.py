#!/usr/bin/env python3
"""tarvel-rc --depfile in real builds: GNU make and ninja convert a form again
when the form or a .frx file it reads changes, and not otherwise; an output
whose bytes come out the same keeps its time stamp, so the step after it (here
a copy standing in for the resource compiler) does not run again; a .frx file
that the form stops using can go. The folder's name holds a space, '#' and '$'.

  depfile_build.py TARVEL_RC MAKE NINJA

Exit status 0 when every build did what it should, 1 otherwise.
"""

import os
import shlex
import subprocess
import sys
import tempfile
import time
from pathlib import Path

FORM = (b'Begin VB.Form Form1\r\n'
        b'   Begin VB.Menu mnuFile\r\n'
        b'      Caption = "&File"\r\n'
        b'      Begin VB.Menu mnuLong\r\n'
        b'         Caption = $"Form1.frx":0000\r\n'
        b'      End\r\n'
        b'   End\r\n'
        b'End\r\n')
# The same form with its caption in the form itself: the .frx file is no longer read.
FORM_WITHOUT_FRX = FORM.replace(b'$"Form1.frx":0000', b'"Short"')


def frx(caption: bytes) -> bytes:
    return len(caption).to_bytes(4, "little") + caption


failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def make_files(tarvel_rc, folder: Path):
    """The same two steps for make and for ninja: the form to Form1.rc (with
    its depfile), and Form1.rc to Form1.res by a copy that is logged."""
    convert = f"{shlex.quote(tarvel_rc)} --header ids.h --depfile Form1.d -o Form1.rc 'a b#c$/Form1.frm'"
    make_convert = convert.replace("$", "$$")
    compile_step = "cp Form1.rc Form1.res && echo compiled >> log"
    (folder / "Makefile").write_text(
        "Form1.res: Form1.rc\n"
        f"\t{compile_step}\n"
        "Form1.rc: a\\ b\\#c$$/Form1.frm\n"
        f"\t{make_convert} && echo converted >> log\n"
        "-include Form1.d\n")
    (folder / "build.ninja").write_text(
        "rule convert\n"
        f"  command = {convert.replace('$', '$$')} && echo converted >> log\n"
        "  depfile = Form1.d\n"
        "  deps = gcc\n"
        "  restat = 1\n"
        "rule compile\n"
        f"  command = {compile_step}\n"
        "build Form1.rc: convert a$ b#c$$/Form1.frm\n"
        "build Form1.res: compile Form1.rc\n"
        "default Form1.res\n")


def later(path: Path, data: bytes = None):
    """Changes a file (its bytes, or only its time stamp) after everything
    built before: past the file system clock's next tick."""
    time.sleep(0.05)
    if data is not None:
        path.write_bytes(data)
    os.utime(path)


def run_build(tool, folder: Path, expected, what):
    log = folder / "log"
    log.write_text("")
    command = [tool, "-s"] if tool.endswith("make") else [tool]
    done = subprocess.run(command, cwd=folder, capture_output=True, text=True)
    check(done.returncode == 0, f"{tool}, {what}: the build failed: {done.stdout}{done.stderr}")
    steps = log.read_text().split() if log.exists() else []
    check(steps == expected, f"{tool}, {what}: ran {steps}, expected {expected}")


def exercise(tarvel_rc, tool):
    with tempfile.TemporaryDirectory(prefix="tarvel-depfile-") as temporary:
        folder = Path(temporary)
        forms = folder / "a b#c$"
        forms.mkdir()
        (forms / "Form1.frm").write_bytes(FORM)
        (forms / "Form1.frx").write_bytes(frx(b"Long caption"))
        (forms / "Other.frx").write_bytes(frx(b"never read"))
        make_files(tarvel_rc, folder)

        failed_before = len(failures)
        run_build(tool, folder, ["converted", "compiled"], "the first build")
        if len(failures) > failed_before:
            return
        check(b'"Long caption"' in (folder / "Form1.rc").read_bytes(), f"{tool}: the caption of the .frx file is missing")
        run_build(tool, folder, [], "nothing changed")

        later(forms / "Other.frx")
        run_build(tool, folder, [], "a .frx file the form does not read changed")

        later(forms / "Form1.frx", frx(b"Changed caption"))
        run_build(tool, folder, ["converted", "compiled"], "the .frx file changed")
        check(b'"Changed caption"' in (folder / "Form1.rc").read_bytes(), f"{tool}: the new caption is missing")
        run_build(tool, folder, [], "nothing changed after the .frx file")

        # Converted again, but the same bytes: Form1.rc keeps its time stamp and nothing after it runs.
        later(forms / "Form1.frx")
        run_build(tool, folder, ["converted"], "the .frx file touched, its bytes the same")
        # make has no record of the conversion's run, so it converts once more each time; ninja does not.
        run_build(tool, folder, ["converted"] if tool.endswith("make") else [], "after the touch")

        # The rule of the last conversion still names the .frx file: its removal stops no build.
        later(forms / "Form1.frm", FORM_WITHOUT_FRX)
        (forms / "Form1.frx").unlink()
        run_build(tool, folder, ["converted", "compiled"], "the form changed, its .frx file removed")
        run_build(tool, folder, [], "nothing changed after the form")


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc, make, ninja = str(Path(sys.argv[1]).resolve()), sys.argv[2], sys.argv[3]
    for tool in (make, ninja):
        exercise(tarvel_rc, tool)
    print("depfile builds:", "FAILED" if failures else "all held")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
