#!/usr/bin/env python3
"""tarvel-rc's options for Win32 programs through real compilers: the RC text
is compiled by windres and read back (windres -J res -O rc), by Wine's wrc,
and by llvm-rc (which preprocesses with clang, and takes only code pages 1252
and 65001); the C header is compiled by gcc and MinGW's gcc and g++.

  rc_options.py options TARVEL_RC WINDRES LLVM_RC   each option on a form written here
  rc_options.py corpus  TARVEL_RC WINDRES LLVM_RC DIR   --all --header over every form of DIR

Exit status 0 when everything held, 1 otherwise, 77 (skipped) when the corpus
folder is absent.
"""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from rc_roundtrip import SKIPPED, parse_literal  # noqa: E402

# "Liść" in Windows-1250; the form's own bytes, never converted.
LISC_1250 = "Liść".encode("cp1250")

FORM = b"""Begin VB.Form Form1
   Begin VB.Menu mnuFile
      Caption = "&File"
      Begin VB.Menu mnuOpen
         Caption = "&Open"
         Shortcut = ^O
      End
      Begin VB.Menu mnuRecent
         Caption = "&Recent"
         Enabled = 0   'False
         Begin VB.Menu mnuFirst
            Caption = "%s"
            Shortcut = +^{F3}
         End
      End
   End
   Begin VB.Menu mnuEdit
      Caption = "Edit"
      Visible = 0   'False
      Begin VB.Menu mnuCut
         Caption = "Cu&t"
         Shortcut = +{DEL}
      End
      Begin VB.Menu mnuPaste
         Caption = "Paste"
         Shortcut = +{INSERT}
      End
      Begin VB.Menu mnuUndo
         Caption = "Undo"
         Shortcut = %%{BKSP}
      End
      Begin VB.Menu mnuOdd
         Caption = "Odd"
         Shortcut = {F13}
      End
   End
   Begin VB.Menu mnuHelp
      Caption = "&Help"
      Begin VB.Menu mnuAbout
         Caption = "&About"
         Shortcut = {F1}
      End
   End
End
""".replace(b"\n", b"\r\n")

HIDDEN_ONLY = b"Begin VB.Form F\r\n   Begin VB.Menu mnuPop\r\n      Caption = \"P\"\r\n      Visible = 0\r\n" \
              b"      Begin VB.Menu mnuA\r\n         Caption = \"a\"\r\n      End\r\n   End\r\nEnd\r\n"


# The Windows headers of Debian's MinGW-w64 packages.
MINGW_INCLUDE = "/usr/share/mingw-w64/include"
# Wine's resource compiler (Debian's wine64-tools) and the Windows headers it reads.
WRC = os.environ.get("TARVEL_WRC", "wrc")
WINE_INCLUDE = "/usr/include/wine/wine/windows"
# --all without --dialog.
MENU_OPTIONS = ["--shortcuts", "--context-menus", "--gray-popups", "--code-page", "auto"]

class Compiled:
    """What windres printed back: every MENU's entries and the accelerators."""

    def __init__(self, text):
        self.menus = {}  # name -> [(kind, caption, id, flags)]
        self.accelerators = set()  # (key, id, frozenset of flags)
        current = None
        for raw in text.splitlines():
            t = raw.strip()
            header = re.match(r'^("?)(\w+)\1 (MENU|ACCELERATORS)\b', t)
            if header:
                current = (header.group(3), header.group(2))
                if current[0] == "MENU":
                    self.menus[current[1]] = []
            elif current and current[0] == "MENU" and (t.startswith("POPUP ") or t.startswith("MENUITEM \"")
                                                       or t.startswith("MENUITEM L")):
                kind, rest = t.split(" ", 1)
                caption, after = parse_literal(rest)
                parts = [p.strip() for p in after.split(",") if p.strip()]
                number = int(parts[0]) if kind == "MENUITEM" else None
                flags = frozenset(p for p in parts if not p.isdigit())
                self.menus[current[1]].append((kind, caption, number, flags))
            elif current and current[0] == "ACCELERATORS" and re.match(r"^\d+,", t):
                parts = [p.strip() for p in t.split(",")]
                self.accelerators.add((int(parts[0]), int(parts[1]), frozenset(parts[2:])))


class Checker:
    def __init__(self, tarvel_rc, windres, llvm_rc, work):
        self.tarvel_rc = os.path.abspath(tarvel_rc)  # also run from the work folder
        self.windres_program, self.llvm_rc_program = windres, llvm_rc
        self.work = Path(work)
        self.failures = 0
        # The system's code page for "auto" is the same wherever the test runs.
        self.env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_CTYPE", "LANG")}
        self.env["LC_ALL"] = "C"

    def check(self, condition, what):
        if not condition:
            self.failures += 1
            print(f"FAIL {what}", file=sys.stderr)
        return condition

    def run(self, *arguments, cwd=None):
        return subprocess.run([str(a) for a in arguments], capture_output=True, env=self.env, cwd=cwd)

    def convert(self, form_bytes, options, name="form"):
        form = self.work / f"{name}.frm"
        form.write_bytes(form_bytes)
        rc = self.work / f"{name}.rc"
        done = self.run(self.tarvel_rc, *options, "-o", rc, form)
        self.check(done.returncode == 0, f"tarvel-rc {options} exited {done.returncode}: {done.stderr!r}")
        return rc, done.stderr.decode(errors="replace")

    def wrc(self, rc, label):
        # Wine's resource compiler, which refuses what the others read each their own way (an empty MENU or POPUP).
        done = self.run(WRC, "-I", WINE_INCLUDE, "-I", rc.parent, "-o", rc.with_suffix(".wrc.res"), rc)
        self.check(done.returncode == 0, f"{label}: wrc refused {rc}: {done.stderr!r}")

    def windres(self, rc, label):
        """Compiles with windres and reads the resources back; None when refused. Wine's wrc compiles it too."""
        self.wrc(rc, label)
        res = rc.with_suffix(".res")
        # windres's own preprocessor (MinGW's gcc) finds <windows.h>, which --dialog includes.
        done = self.run(self.windres_program, "-J", "rc", "-O", "res", "-i", rc, "-o", res)
        if not self.check(done.returncode == 0, f"{label}: windres refused {rc}: {done.stderr!r}"):
            return None
        back = self.run(self.windres_program, "-J", "res", "-O", "rc", "-i", res)
        return Compiled(back.stdout.decode("ascii", errors="replace"))

    def llvm_rc(self, rc, label, code_page=None):
        # llvm-rc preprocesses with clang; MinGW's headers give it <windows.h>.
        page = ["-C", str(code_page)] if code_page else []
        done = self.run(self.llvm_rc_program, *page, "-I", rc.parent, "-I", MINGW_INCLUDE,
                        "-fo", rc.with_suffix(".llvm.res"), rc)
        self.check(done.returncode == 0, f"{label}: llvm-rc refused {rc}: {done.stdout!r} {done.stderr!r}")

    def llvm_rc_all(self, rc, label, code_page=None):
        """llvm-rc 14 takes no MENU statement in a DIALOGEX ("expected optional statement type, BEGIN or '{',
        got MENU"): it compiles the rest of the text, the dialog and its controls among it, without that line."""
        text = rc.read_bytes()
        without = re.sub(rb"^MENU \w+\r\n", b"", text, flags=re.M)
        copy = rc.with_name(rc.stem + "-llvm.rc")
        copy.write_bytes(without)
        self.llvm_rc(copy, label, code_page)

    def shortcuts(self):
        rc, err = self.convert(FORM % LISC_1250, ["--shortcuts", "--no-define"])
        self.check("'mnuOdd' has the shortcut '{F13}'" in err, f"--shortcuts: no warning for {{F13}}: {err!r}")
        got = self.windres(rc, "--shortcuts")
        if got is None:
            return
        items = {number: caption for kind, caption, number, _ in got.menus.get("GLOWNE", []) if number}
        expected = {100: "&Open\tCtrl+O", 101: "Liœæ\tCtrl+Shift+F3", 102: "Cu&t\tShift+Del",
                    103: "Paste\tShift+Ins", 104: "Undo\tAlt+Bksp", 105: "Odd", 106: "&About\tF1"}
        self.check(items == expected, f"--shortcuts: captions {items}")
        accelerators = {(79, 100, frozenset({"VIRTKEY", "CONTROL"})), (114, 101, frozenset({"VIRTKEY", "CONTROL", "SHIFT"})),
                        (46, 102, frozenset({"VIRTKEY", "SHIFT"})), (45, 103, frozenset({"VIRTKEY", "SHIFT"})),
                        (8, 104, frozenset({"VIRTKEY", "ALT"})), (112, 106, frozenset({"VIRTKEY"}))}
        self.check(got.accelerators == accelerators, f"--shortcuts: accelerators {got.accelerators}")
        self.llvm_rc(rc, "--shortcuts", 1252)

    def context_menus_and_gray_popups(self):
        rc, _ = self.convert(FORM % b"First", ["--context-menus", "--gray-popups", "--no-define"])
        got = self.windres(rc, "--context-menus")
        if got is None:
            return
        self.check(sorted(got.menus) == ["GLOWNE", "MNUEDIT"], f"--context-menus: menus {sorted(got.menus)}")
        glowne = [(kind, caption, number) for kind, caption, number, _ in got.menus.get("GLOWNE", [])]
        self.check(glowne == [("POPUP", "&File", None), ("MENUITEM", "&Open", 100), ("POPUP", "&Recent", None),
                              ("MENUITEM", "First", 101), ("POPUP", "&Help", None), ("MENUITEM", "&About", 102)],
                   f"--context-menus: Glowne {glowne}")
        # One POPUP with the form's caption: the menu a program tracks is GetSubMenu(menu, 0).
        edit = [(caption, number) for _, caption, number, _ in got.menus.get("MNUEDIT", [])]
        self.check(edit == [("Edit", None), ("Cu&t", 103), ("Paste", 104), ("Undo", 105), ("Odd", 106)],
                   f"--context-menus: mnuEdit {edit}")
        recent = [flags for kind, caption, _, flags in got.menus.get("GLOWNE", []) if caption == "&Recent"]
        self.check(recent == [frozenset({"GRAYED"})], f"--gray-popups: Recent {recent}")
        self.llvm_rc(rc, "--context-menus --gray-popups")

        rc, _ = self.convert(HIDDEN_ONLY, ["--context-menus"], name="hidden")
        got = self.windres(rc, "only hidden menus")
        if got is not None:
            self.check("GLOWNE" not in got.menus and got.menus.get("MNUPOP") == [("POPUP", "P", None, frozenset()),
                                                                               ("MENUITEM", "a", 100, frozenset())],
                       f"only hidden menus: {got.menus}")
        self.llvm_rc(rc, "only hidden menus")

    def placeholders(self):
        # A sub-menu that the program fills at run time keeps its placeholder: windres would make an empty POPUP an
        # item of id 0, llvm-rc would nest the following items inside it.
        form = (b"Begin VB.Form F\r\n   Begin VB.Menu mnuView\r\n      Caption = \"&View\"\r\n"
                b"      Begin VB.Menu dbitem\r\n         Caption = \"\"\r\n         Index = 1\r\n      End\r\n   End\r\n"
                b"   Begin VB.Menu mnuHelp\r\n      Caption = \"&Help\"\r\n"
                b"      Begin VB.Menu mnuAbout\r\n         Caption = \"&About\"\r\n      End\r\n   End\r\nEnd\r\n")
        rc, _ = self.convert(form, [], name="placeholder")
        got = self.windres(rc, "placeholder")
        if got is not None:
            glowne = [(kind, caption, number) for kind, caption, number, _ in got.menus.get("GLOWNE", [])]
            self.check(glowne == [("POPUP", "&View", None), ("MENUITEM", "", 100), ("POPUP", "&Help", None),
                                  ("MENUITEM", "&About", 101)], f"placeholder: Glowne {glowne}")
        self.llvm_rc(rc, "placeholder")

        # --tidy lays the same resources out otherwise: every compiler reads them alike.
        for label, options in (("--tidy", MENU_OPTIONS), ("--tidy --all", ["--all"])):
            tidy, _ = self.convert(FORM % b"First", ["--tidy", *options], name="tidy")
            plain, _ = self.convert(FORM % b"First", options, name="plain")
            got, expected = self.windres(tidy, label), self.windres(plain, label)
            if got is not None and expected is not None:
                self.check(got.menus == expected.menus and got.accelerators == expected.accelerators,
                           f"{label}: {got.menus} against {expected.menus}")
            if options == MENU_OPTIONS:
                self.llvm_rc(tidy, label, 1252)
            else:
                self.llvm_rc_all(tidy, label, 1252)

    def code_page(self):
        rc, _ = self.convert(FORM % LISC_1250, ["--code-page", "1250"])
        got = self.windres(rc, "--code-page 1250")
        if got is not None:
            captions = [caption for _, caption, _, _ in got.menus.get("GLOWNE", [])]
            self.check("Liść" in captions, f"--code-page 1250: captions {captions}")
        print("llvm-rc skipped for code page 1250: it reads only 1252 and 65001")

        rc, _ = self.convert(FORM % "Liść".encode(), ["--code-page", "auto"], name="utf8")
        self.check(rc.read_bytes().startswith(b"#pragma code_page(65001)\r\n"), "--code-page auto: no 65001 for UTF-8")
        got = self.windres(rc, "--code-page auto")
        if got is not None:
            captions = [caption for _, caption, _, _ in got.menus.get("GLOWNE", [])]
            self.check("Liść" in captions, f"--code-page auto: captions {captions}")
        self.llvm_rc(rc, "--code-page auto", 65001)

    def header(self):
        (self.work / "form.frm").write_bytes(FORM % LISC_1250)
        done = self.run(self.tarvel_rc, "--all", "--header", "ids.h", "--masm", "ids.inc", "-o", "menu.rc", "form.frm",
                        cwd=self.work)
        self.check(done.returncode == 0, f"--header: tarvel-rc exited {done.returncode}: {done.stderr!r}")
        rc = self.work / "menu.rc"
        self.check(b'#include "ids.h"\r\n' in rc.read_bytes(), "--header: the RC text does not include ids.h")
        program = self.work / "program.c"
        program.write_text('#include "ids.h"\n#include "ids.h"\n'
                           "_Static_assert(mnuOpen == 100 && mnuFirst == 101 && mnuAbout == 102, \"Glowne\");\n"
                           "_Static_assert(mnuCut == 103 && mnuOdd == 106, \"context menu\");\n"
                           "int Choose(int id) { switch (id) { case mnuOpen: case mnuPaste: case mnuUndo: return 1; } return 0; }\n")
        done = self.run("gcc", "-fsyntax-only", "-Wall", "-Werror", program, cwd=self.work)
        self.check(done.returncode == 0, f"--header: gcc refused the header: {done.stderr!r}")
        defines = re.findall(rb"^#define (mnu\w+) (\d+)\r$", (self.work / "ids.h").read_bytes(), re.M)
        equates = re.findall(rb"^(\w+) equ (\d+)\r$", (self.work / "ids.inc").read_bytes(), re.M)
        self.check(len(defines) == 7 and equates == defines, f"--masm: {equates} against {defines}")
        got = self.windres(rc, "--all --header")
        if got is not None:
            self.check(len(got.accelerators) == 6, f"--all --header: accelerators {got.accelerators}")
        self.llvm_rc_all(rc, "--all --header", 1252)

        # A header in another folder than the RC file is found from the RC file's folder alone.
        for folder in ("inc", "out", "sub"):
            (self.work / folder).mkdir(exist_ok=True)
        (self.work / "sub" / "s.frm").write_bytes(FORM % LISC_1250)
        for arguments, rc in ((["--header", "inc/menu.h", "-o", "out/menu.rc", "form.frm"], self.work / "out" / "menu.rc"),
                              (["--header", "s.h", "sub/s.frm"], self.work / "sub" / "s.rc")):
            done = self.run(self.tarvel_rc, *MENU_OPTIONS, *arguments, cwd=self.work)
            self.check(done.returncode == 0, f"{arguments}: tarvel-rc exited {done.returncode}: {done.stderr!r}")
            res = rc.with_suffix(".res")
            done = self.run(self.windres_program, "-J", "rc", "-O", "res", "-i", rc, "-o", res, cwd="/")
            self.check(done.returncode == 0, f"{arguments}: windres did not find the header: {done.stderr!r}")
            done = self.run(self.llvm_rc_program, "-C", "1252", "-fo", rc.with_suffix(".llvm.res"), rc, cwd="/")
            self.check(done.returncode == 0, f"{arguments}: llvm-rc did not find the header: {done.stdout!r}")

    def taken_names(self):
        # Names a C or C++ build already has: a keyword (new), the C library's (exit, errno), <windows.h>'s (IDOK,
        # WS_TABSTOP). Each keeps its number, with a comment naming it; New differs from new in C.
        (self.work / "taken.frm").write_bytes(b"""Begin VB.Form frmTaken
   Begin VB.CommandButton WS_TABSTOP
      Caption = "OK"
      Height = 375
      Left = 120
      Top = 120
      Width = 1215
   End
   Begin VB.Menu mnuFile
      Caption = "&File"
      Begin VB.Menu new
         Caption = "&New"
      End
      Begin VB.Menu New
         Caption = "N&ew too"
      End
      Begin VB.Menu exit
         Caption = "E&xit"
      End
      Begin VB.Menu errno
         Caption = "&Error"
      End
      Begin VB.Menu IDOK
         Caption = "O&K"
      End
   End
End
""".replace(b"\n", b"\r\n"))
        done = self.run(self.tarvel_rc, "--all", "--header", "ids.h", "-o", "taken.rc", "taken.frm", cwd=self.work)
        self.check(done.returncode == 0, f"taken names: tarvel-rc exited {done.returncode}: {done.stderr!r}")
        rc = (self.work / "taken.rc").read_bytes()
        header = (self.work / "ids.h").read_bytes()
        for name, number in ((b"new", 100), (b"exit", 102), (b"errno", 103), (b"IDOK", 104), (b"WS_TABSTOP", 105)):
            self.check(b"#define " + name + b" " not in header, f"taken names: {name} is defined")
            self.check(re.search(rb", %d\b[^\r]*  // %s\r\n" % (number, name), rc) is not None,
                       f"taken names: no {number} with a comment naming {name}: {rc!r}")
            self.check(b"/* %s is %d: " % (name, number) in header, f"taken names: the header does not name {name}")
        self.check(b"#define New 101\r\n" in header, f"taken names: New is not defined: {header!r}")
        got = self.windres(self.work / "taken.rc", "taken names")
        if got is not None:
            numbers = [number for kind, _, number, _ in got.menus.get("GLOWNE", []) if kind == "MENUITEM"]
            self.check(numbers == [100, 101, 102, 103, 104], f"taken names: items {numbers}")
        # The header beside <windows.h> and the C library in C and in C++, with every warning an error.
        for language, compiler, use in (("c", "x86_64-w64-mingw32-gcc", "int *p = malloc(sizeof *p); free(p);"),
                                        ("cpp", "x86_64-w64-mingw32-g++", "int *p = new int(3); delete p;")):
            program = self.work / f"taken.{language}"
            program.write_text("#include <windows.h>\n#include <stdlib.h>\n#include <errno.h>\n#include \"ids.h\"\n"
                               "int Choose(int id) {\n"
                               f"    {use}\n"
                               "    if (id == New || id == IDOK || errno) exit(1);\n"
                               "    return id == WS_TABSTOP;\n}\n")
            done = self.run(compiler, "-fsyntax-only", "-Wall", "-Wextra", "-Werror", program, cwd=self.work)
            self.check(done.returncode == 0, f"taken names: {compiler} refused the header: {done.stderr!r}")

        # Prefixed, every one of these names is free: IDM_exit, IDM_WS_TABSTOP.
        done = self.run(self.tarvel_rc, "--all", "--prefix", "IDM_", "--menu-name", "MainMenu", "--header", "idm.h",
                        "-o", "idm.rc", "taken.frm", cwd=self.work)
        self.check(done.returncode == 0, f"--prefix: tarvel-rc exited {done.returncode}: {done.stderr!r}")
        got = self.windres(self.work / "idm.rc", "--prefix --menu-name")
        if got is not None:
            self.check(sorted(got.menus) == ["MAINMENU"], f"--menu-name: menus {sorted(got.menus)}")
        program = self.work / "idm.cpp"
        program.write_text("#include <windows.h>\n#include <cstdlib>\n#include \"idm.h\"\n"
                           "static_assert(IDM_new == 100 && IDM_New == 101 && IDM_exit == 102 && IDM_errno == 103, \"ids\");\n"
                           "static_assert(IDM_IDOK == 104 && IDM_WS_TABSTOP == 105, \"ids\");\n"
                           "int main() { int *p = new int(3); delete p; std::exit(IDOK); }\n")
        done = self.run("x86_64-w64-mingw32-g++", "-fsyntax-only", "-Wall", "-Wextra", "-Werror", program, cwd=self.work)
        self.check(done.returncode == 0, f"--prefix: g++ refused the header: {done.stderr!r}")

    def corpus(self, directory):
        forms = sorted(p for p in directory.rglob("*") if p.suffix.lower() == ".frm")
        compiled = 0
        for number, form in enumerate(forms):
            rc = self.work / f"c{number:04d}.rc"
            done = self.run(self.tarvel_rc, "--all", "--header", rc.with_suffix(".h"), "-o", rc, form)
            # An MDI form without a menu, or a file that is no form, has nothing to write.
            if done.returncode == 1 and form.relative_to(directory).parts[0] == "nomenu":
                continue
            if not self.check(done.returncode == 0, f"{form}: tarvel-rc --all exited {done.returncode}: {done.stderr!r}"):
                continue
            compiled += 1
            self.windres(rc, str(form))
            code_page = int(re.match(rb"#pragma code_page\((\d+)\)", rc.read_bytes()).group(1))
            # llvm-rc takes only 1252 and 65001; 1252 reads every byte, so the text's syntax is checked all the same.
            self.llvm_rc_all(rc, str(form), code_page if code_page in (1252, 65001) else 1252)
        print(f"{compiled} of {len(forms)} forms converted with --all --header and compiled by windres and wrc, "
              "and by llvm-rc without the dialog's MENU line")


def main(argv):
    if len(argv) < 5 or argv[1] not in ("options", "corpus") or (argv[1] == "corpus" and len(argv) < 6):
        print(__doc__, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="tarvel-options-") as work:
        checker = Checker(argv[2], argv[3], argv[4], work)
        if argv[1] == "options":
            checker.shortcuts()
            checker.context_menus_and_gray_popups()
            checker.placeholders()
            checker.code_page()
            checker.header()
            checker.taken_names()
        else:
            corpus = Path(argv[5])
            if not (corpus / "menu").is_dir():
                print(f"Skipped: no corpus of real forms at {corpus}")
                return SKIPPED
            checker.corpus(corpus)
        if checker.failures:
            print(f"{checker.failures} failure(s)", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
