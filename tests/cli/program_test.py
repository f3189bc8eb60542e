#!/usr/bin/env python3
"""tarvel-rc --program through real C compilers: the program of a form is
compiled by MinGW-w64's gcc for 64 and 32 bits with -Wall -Wextra -Werror,
with and without -DTARVEL_TRACE, beside the header written with it (and, for
the forms of our own, the RC text is compiled by windres and the whole
program linked).

  program_test.py forms   TARVEL_RC DATA_DIR   our own forms: compiled and linked
  program_test.py corpus  TARVEL_RC DIR        every real form with a dialog: compiled

<windows.h> is read once per compiler into a precompiled header, so that a
form's program costs a moment (-fsyntax-only). Exit status 0 when every
program compiled, 1 otherwise, 77 (skipped) when the corpus folder is absent.
"""

import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from vb_form import read_form  # noqa: E402

SKIPPED = 77
COMPILERS = ("x86_64-w64-mingw32-gcc", "i686-w64-mingw32-gcc")
WINDRES = "x86_64-w64-mingw32-windres"
FLAGS = ["-std=c99", "-Wall", "-Wextra", "-Werror", "-Winvalid-pch"]
# What every program includes before its header, read once.
PRECOMPILED = b"#define UNICODE\n#define _UNICODE\n#include <windows.h>\n#include <commctrl.h>\n#include <stdio.h>\n#include <stdlib.h>\n"


class Compilers:
    def __init__(self, work):
        self.work = work
        self.failures = 0
        self.compiled = 0
        for compiler in COMPILERS:
            folder = work / f"pch-{compiler}"
            folder.mkdir()
            (folder / "tarvel_pch.h").write_bytes(PRECOMPILED)
            subprocess.run([compiler, *FLAGS, "-x", "c-header", str(folder / "tarvel_pch.h"), "-o",
                            str(folder / "tarvel_pch.h.gch")], check=True)

    def check(self, condition, what):
        if not condition:
            self.failures += 1
            print(f"FAIL: {what}", flush=True)
        return condition

    def syntax(self, program):
        """Compiles the program with each compiler, with and without the trace."""
        for compiler in COMPILERS:
            for trace in ([], ["-DTARVEL_TRACE"]):
                done = subprocess.run([compiler, *FLAGS, *trace, "-I", str(self.work / f"pch-{compiler}"),
                                       "-include", "tarvel_pch.h", "-fsyntax-only", str(program)],
                                      capture_output=True, cwd=program.parent)
                self.check(done.returncode == 0,
                           f"{program.name} ({compiler} {' '.join(trace)}): {done.stderr.decode(errors='replace')[:2000]}")
                self.compiled += 1


def convert(tarvel_rc, form, out, *options):
    stem = out / form.stem
    done = subprocess.run([tarvel_rc, *options, "--header", f"{stem}.h", "--program", f"{stem}.c", "-o", f"{stem}.rc",
                           str(form)], capture_output=True)
    return done, Path(f"{stem}.c")


def frx_list(items):
    """A List (or ItemData, as decimal text) as a .frx file keeps it."""
    data = len(items).to_bytes(2, "little")
    if items:
        data += max(3, *(len(item) for item in items)).to_bytes(2, "little")
    for item in items:
        data += len(item).to_bytes(2, "little") + item
    return data


def frx_picture_empty():
    """An empty picture, as an SSTab's TabPicture(n) without one: the class id, then no image."""
    return (24).to_bytes(4, "little") + bytes(16) + b"lt\0\0" + bytes(4)


# The .frx of program_events.frm, in the order of its offsets: 0000, 0016, 0027, 003D, 0059.
PROGRAM_EVENTS_FRX = [frx_list([b"Red", b"Green", b"Blue"]), frx_list([b"10", b"20", b"-30"]),
                      frx_list([b"One", b"Two", "Zażółć".encode("cp1250")]), frx_picture_empty(), frx_picture_empty()]


def frx_text(text):
    """A TextBox's Text as a .frx keeps it: one byte of length below 255, else 255 and a 16-bit length."""
    if len(text) < 255:
        return bytes([len(text)]) + text
    return b"\xFF" + len(text).to_bytes(2, "little") + text


# The .frx of program_text.frm, at 0000 and 0023: lines of cp1250 with what C must escape, and a text
# too long for a dialog template, which the program sets.
PROGRAM_TEXT_FRX = [frx_text("Zażółć\r\ngęślą jaźń\r\n\"quoted\" a?b \\".encode("cp1250")),
                    frx_text(b"".join(b"line %04d of a long text\r\n" % n for n in range(250)))]


def copy_with_frx(form, out):
    """The form beside its .frx file, which the test writes."""
    copy = out / form.name
    copy.write_bytes(form.read_bytes())
    for name, pieces, expected in (("program_events", PROGRAM_EVENTS_FRX, [0x00, 0x16, 0x27, 0x3D, 0x59]),
                                   ("program_text", PROGRAM_TEXT_FRX, [0x00, 0x23])):
        if form.stem != name:
            continue
        offsets = [sum(len(piece) for piece in pieces[:i]) for i in range(len(pieces))]
        assert offsets == expected, offsets
        (out / f"{name}.frx").write_bytes(b"".join(pieces))
    return copy


def forms(compilers, tarvel_rc, data, work):
    for original in sorted(data.glob("program_*.frm")):
        out = work / original.stem
        out.mkdir()
        form = copy_with_frx(original, out)
        done, program = convert(tarvel_rc, form, out, "--all")
        compilers.check(not done.stderr.count(b"left out of the program"), f"{form.name}: {done.stderr.decode()}")
        if not compilers.check(done.returncode == 0, f"{form.name}: exit {done.returncode} {done.stderr.decode()}"):
            continue
        compilers.syntax(program)
        # The whole program, linked with its resources, for both systems.
        for compiler, target in (("x86_64-w64-mingw32-gcc", "pe-x86-64"), ("i686-w64-mingw32-gcc", "pe-i386")):
            resources = out / f"{form.stem}-{target}.res.o"
            built = subprocess.run([WINDRES, "-F", target, f"{form.stem}.rc", "-O", "coff", "-o", str(resources)],
                                   cwd=out, capture_output=True)
            if not compilers.check(built.returncode == 0, f"{form.name}: windres {built.stderr.decode()}"):
                continue
            linked = subprocess.run([compiler, *FLAGS, "-municode", "-mwindows", str(program), str(resources),
                                     "-lcomctl32", "-o", str(out / f"{form.stem}-{target}.exe")],
                                    cwd=out, capture_output=True)
            compilers.check(linked.returncode == 0, f"{form.name}: {compiler} link {linked.stderr.decode()}")


def corpus(compilers, tarvel_rc, folder, work):
    written = without = 0
    for index, form in enumerate(sorted(p for p in folder.rglob("*") if p.suffix.lower() == ".frm")):
        root = read_form(form)
        out = work / f"corpus-{index}"
        out.mkdir()
        done, program = convert(tarvel_rc, form, out, "--all")
        has_menu = any(b"Begin VB.Menu" in line for line in form.read_bytes().splitlines())
        if root is None or root.kind not in ("VB.Form", "Form"):
            # No dialog (an MDI form, or no form): no program, and a warning that says so when a menu was written.
            compilers.check(not program.exists(), f"{form}: a program without a dialog")
            if has_menu:
                compilers.check(b"no program is written" in done.stderr, f"{form}: no warning: {done.stderr.decode(errors='replace')}")
            without += 1
            continue
        if not compilers.check(done.returncode == 0 and program.exists(),
                               f"{form}: exit {done.returncode} {done.stderr.decode(errors='replace')}"):
            continue
        compilers.syntax(program)
        written += 1
    print(f"{written} real forms' programs compiled ({compilers.compiled} compilations), "
          f"{without} forms without a dialog got none")


def main(argv):
    if len(argv) != 4 or argv[1] not in ("forms", "corpus"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, tarvel_rc, folder = argv[1], argv[2], Path(argv[3])
    if mode == "corpus" and not (folder / "menu").is_dir():
        print(f"Skipped: no corpus of real forms at {folder}")
        return SKIPPED
    with tempfile.TemporaryDirectory(prefix="tarvel-program-") as work:
        compilers = Compilers(Path(work))
        if mode == "forms":
            forms(compilers, tarvel_rc, folder, Path(work))
        else:
            corpus(compilers, tarvel_rc, folder, Path(work))
        if compilers.failures:
            print(f"{compilers.failures} failure(s)", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
