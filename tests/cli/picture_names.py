#!/usr/bin/env python3
"""tarvel-rc refuses a run in which a picture's file would be another output's:
for our own form with pictures, an RC file, header, MASM file, depfile or
program named like one of the pictures written beside the RC file (in any
spelling of the same path) is a usage error, exit status 2, that names both
files, and nothing is written: the file already there keeps its bytes. The
same run with names of their own writes everything.

  picture_names.py TARVEL_RC
"""

import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from picture_form import write_picture_form  # noqa: E402

FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL:", what)
    return condition


def run(tarvel_rc, folder, arguments):
    return subprocess.run([tarvel_rc, *arguments], cwd=folder, capture_output=True, text=True)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc = str(Path(argv[1]).resolve())
    with tempfile.TemporaryDirectory(prefix="tarvel-picture-names-") as temporary:
        folder = Path(temporary)
        write_picture_form(folder)
        out = folder / "out"
        # Each output in turn named like a picture the form's --all writes into out/.
        clashes = [
            ("--header", ["--all", "-o", "out/Pictures.rc", "--header", "out/Pictures.ico"], "out/Pictures.ico"),
            ("--header, another spelling", ["--all", "-o", "out/Pictures.rc", "--header", "out/./Pictures.ico"],
             "out/./Pictures.ico"),
            ("--masm", ["--all", "-o", "out/Pictures.rc", "--masm", "out/Pictures_Image1.bmp"], "out/Pictures_Image1.bmp"),
            ("--depfile", ["--all", "-o", "out/Pictures.rc", "--depfile", "out/Pictures_Image2.bmp"],
             "out/Pictures_Image2.bmp"),
            ("--program", ["--all", "-o", "out/Pictures.rc", "--header", "out/Pictures.h", "--program",
                           "out/Pictures_Picture1.ico"], "out/Pictures_Picture1.ico"),
            ("-o", ["--all", "-o", "out/Pictures.ico"], "out/Pictures.ico"),
        ]
        for label, arguments, other in clashes:
            out.mkdir(exist_ok=True)
            for old in out.iterdir():
                old.unlink()
            kept = out / Path(other).name
            kept.write_bytes(b"kept\r\n")
            done = run(tarvel_rc, folder, [*arguments, "Pictures.frm"])
            check(done.returncode == 2, f"{label}: exit status {done.returncode}, not 2: {done.stderr!r}")
            picture = "out/" + Path(other).name
            check(done.stderr.startswith("tarvel-rc: Pictures.frm:") and f"'{picture}'" in done.stderr and
                  f"'{other}'" in done.stderr and "two outputs cannot be one file" in done.stderr,
                  f"{label}: the message does not name both files: {done.stderr!r}")
            check(sorted(p.name for p in out.iterdir()) == [kept.name], f"{label}: files written: {sorted(out.iterdir())}")
            check(kept.read_bytes() == b"kept\r\n", f"{label}: {kept.name} was overwritten")

        # Names of their own: every file is written.
        for old in out.iterdir():
            old.unlink()
        done = run(tarvel_rc, folder, ["--all", "-o", "out/Pictures.rc", "--header", "out/Pictures.h", "--masm",
                                       "out/Pictures.inc", "--depfile", "out/Pictures.d", "--program", "out/Pictures.c",
                                       "Pictures.frm"])
        check(done.returncode == 0, f"names of their own: exit status {done.returncode}: {done.stderr!r}")
        written = {p.name for p in out.iterdir()}
        for name in ("Pictures.rc", "Pictures.h", "Pictures.inc", "Pictures.d", "Pictures.c", "Pictures.ico",
                     "Pictures_Image1.bmp", "Pictures_Picture1.ico"):
            check(name in written, f"names of their own: {name} not written ({sorted(written)})")
    print(f"{len(clashes)} clashes refused; {len(FAILURES)} failure(s)")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
