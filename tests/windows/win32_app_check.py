#!/usr/bin/env python3
"""examples/win32-app built as its comment says (CMake, MinGW-w64, and
tarvel_add_resources running the Linux tarvel-rc) and run under Wine: the
program prints every MENU resource it holds and the menu of every dialog it
creates, each item read with GetMenuItemInfoW, and the test compares both
with the menu the form itself describes (read from the form independently of
the converter, as tests/cli/rc_roundtrip.py reads it). First with the
example's own form, then with a sample of the corpus's forms. A second build
with nothing changed does nothing; a touched form is converted again, but the
same RC text is not compiled again.

wine_test.py calls check_win32_app with its running Wine. Alone:

  win32_app_check.py LINUX_TARVEL_RC WORK_DIR [CORPUS_DIR]

runs the programs with `wine` in the WINEPREFIX and DISPLAY the environment
gives. Exit status 0 when everything held, 1 otherwise.
"""

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parents[1]
sys.path.insert(0, str(HERE.parent / "cli"))
from rc_roundtrip import expected_menu, read_form_menu  # noqa: E402

EXAMPLE = SOURCE / "examples/win32-app"
SAMPLE_SIZE = 6
# The example's build command, as its CMakeLists.txt gives it.
CONFIGURE = ["-G", "Ninja", "-DCMAKE_SYSTEM_NAME=Windows", "-DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix",
             "-DCMAKE_RC_COMPILER=x86_64-w64-mingw32-windres"]


def escaped(caption):
    """A caption as the program prints it."""
    text = caption.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t")
    return '"' + "".join(c if ord(c) >= 0x20 else f"\\x{ord(c):02x}" for c in text) + '"'


def expected_tree(form):
    """The form's menu as the program prints it, one line an entry; a caption
    the resource compiler cannot know for sure (a byte Windows-1252 leaves
    undefined) is None in its line, which matches any caption."""
    entries, _ = expected_menu(read_form_menu(form), 100)
    lines = []
    for depth, kind, caption, number, flags in entries:
        indent = "  " * (depth + 1)
        if kind == "END":
            lines.append(indent + "END")
        elif kind == "SEPARATOR":
            lines.append(indent + "SEPARATOR")
        else:
            tail = (f" {number}" if kind == "MENUITEM" else "") + flags
            lines.append((indent + kind + " ", None if caption is None else escaped(caption), tail))
    return lines


def matches(expected, printed):
    if isinstance(expected, str):
        return expected == printed
    head, caption, tail = expected
    if not (printed.startswith(head) and printed.endswith(tail)):
        return False
    return caption is None or printed[len(head):len(printed) - len(tail)] == caption


def blocks(output):
    """The program's output as {"MENU GLOWNE": [lines], "DIALOG FORM1 ...": [lines]}."""
    found, current = {}, None
    for line in output.splitlines():
        if line.startswith(("MENU ", "DIALOG ")):
            current = found.setdefault(line, [])
        elif current is not None:
            current.append(line)
    return found


def compare(check, what, expected, printed):
    check(expected, f"{what}: the form has no menu to compare")
    for i in range(max(len(expected), len(printed))):
        want = expected[i] if i < len(expected) else None
        got = printed[i] if i < len(printed) else None
        if want is None or got is None or not matches(want, got):
            shown = want if isinstance(want, str) or want is None else want[0] + str(want[1]) + want[2]
            check(False, f"{what}, entry {i + 1}: the program shows {got!r}, the form says {shown!r}")
            return


def build(check, linux_rc, folder, form):
    """Configures and builds the example for `form`; the build's output, or None when it failed."""
    configured = subprocess.run(["cmake", "-S", str(EXAMPLE), "-B", str(folder), *CONFIGURE,
                                 f"-DTARVEL_RC_EXECUTABLE={linux_rc}", f"-DWIN32_APP_FORM={form}"],
                                capture_output=True, text=True)
    if not check(configured.returncode == 0, f"win32-app for {form.name}: cmake failed: {configured.stderr}"):
        return None
    built = subprocess.run(["cmake", "--build", str(folder)], capture_output=True, text=True)
    if not check(built.returncode == 0, f"win32-app for {form.name}: the build failed: {built.stdout}{built.stderr}"):
        return None
    # tarvel-rc's own warnings say what the dialog leaves out; the compilers must have none.
    warnings = [line for line in built.stdout.splitlines() if "warning" in line and not line.startswith("tarvel-rc:")]
    check(not warnings, f"win32-app for {form.name}: the build warns: {warnings}")
    return built.stdout


def check_program(wine, check, folder, form):
    """Runs the program built for `form` and compares its menus with the form's."""
    shown = wine.run(folder / "win32-app.exe", ["/tree"], folder)
    output = shown.stdout.decode("utf-8", errors="replace")
    if not check(shown.returncode == 0, f"win32-app for {form.name}: exit status {shown.returncode}: {output}"):
        return
    found = blocks(output)
    expected = expected_tree(form)
    menu = found.get("MENU GLOWNE")
    if check(menu is not None, f"win32-app for {form.name}: no Glowne among {sorted(found)}"):
        compare(check, f"{form.name}: Glowne", expected, menu)
    dialogs = [name for name in found if name.startswith("DIALOG ")]
    mdi = b"begin vb.mdiform" in form.read_bytes().lower()
    if mdi:
        check(not dialogs, f"win32-app for {form.name}: an MDI form gave a dialog: {dialogs}")
        return
    if check(len(dialogs) == 1 and " created with " in dialogs[0],
             f"win32-app for {form.name}: dialogs {dialogs}, expected one created"):
        compare(check, f"{form.name}: the dialog's menu", expected, found[dialogs[0]])


def sample(corpus):
    """A few forms spread over the corpus, MDI forms and .frx captions among them."""
    forms = sorted(p for p in (corpus / "menu").glob("*.frm"))
    step = max(1, len(forms) // SAMPLE_SIZE)
    picked = forms[::step][:SAMPLE_SIZE]
    frx = corpus / "menu/lavolpe-submenus/Form1.frm"
    return picked + ([frx] if frx.is_file() else [])


def check_win32_app(wine, check, linux_rc, build_dir, corpus=None):
    """wine runs a program (`wine.run(program, arguments, cwd)`); check(condition, what) records a failure."""
    started = time.monotonic()
    folder = Path(build_dir) / "win32-app"
    shutil.rmtree(folder, ignore_errors=True)
    form = (SOURCE / "examples/Form1.frm").resolve()
    if build(check, linux_rc, folder, form) is None:
        return
    check_program(wine, check, folder, form)

    # Built again with nothing changed, nothing runs; a form touched is converted, but its RC text is the same.
    again = subprocess.run(["cmake", "--build", str(folder)], capture_output=True, text=True)
    check("no work to do" in again.stdout, f"win32-app: a build with nothing changed ran: {again.stdout}")
    os.utime(form)
    touched = subprocess.run(["cmake", "--build", str(folder)], capture_output=True, text=True)
    check("Converting" in touched.stdout and "RC object" not in touched.stdout and "Linking" not in touched.stdout,
          f"win32-app: after touching the form: {touched.stdout}")

    forms = sample(corpus) if corpus else []
    for other in forms:
        if build(check, linux_rc, folder, other) is not None:
            check_program(wine, check, folder, other)
    print(f"win32-app: the example's form and {len(forms)} of the corpus, {time.monotonic() - started:.1f} s",
          flush=True)


class PlainWine:
    """`wine` in the prefix and display of the environment."""

    def __init__(self):
        self.env = dict(os.environ, WINEDEBUG="-all")

    def run(self, program, arguments, cwd):
        return subprocess.run(["wine", str(program), *arguments], cwd=cwd, env=self.env, capture_output=True,
                              timeout=120)


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    failures = []

    def check(condition, what):
        if not condition:
            failures.append(what)
            print(f"FAIL: {what}", flush=True)
        return condition

    corpus = Path(argv[3]).resolve() if len(argv) == 4 and Path(argv[3]).is_dir() else None
    check_win32_app(PlainWine(), check, Path(argv[1]).resolve(), Path(argv[2]).resolve(), corpus)
    print(f"win32-app: {'all held' if not failures else f'{len(failures)} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
