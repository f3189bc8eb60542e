#!/usr/bin/env python3
"""The RC text's strings through every resource compiler we test: windres
(through MinGW's preprocessor), Wine's wrc and llvm-rc each compile the text of a form of our
own, and the compiled .res is read back string by string.

- Captions longer than one RC string takes (Microsoft's RC: 4,097
  characters), kept in the .frx: a Label's, a CommandButton's, a Frame's and
  the form's own are left out of the dialog (an empty string, with a warning
  naming the form's line); a menu item's is cut, its shortcut's label kept.
- Trigraphs ("What??/ ok??!" and every other) in a menu item's, a Label's
  and the form's caption: windres compiles them without a warning, and every
  compiler's .res holds them as the form writes them.

  rc_strings.py TARVEL_RC WINDRES LLVM_RC

Wine's wrc is TARVEL_WRC (default wrc). Exit status 0 when everything held,
1 otherwise.
"""

import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
# The same compilers, include folders and failure list as the picture test's.
from pictures_compile import FAILURES, MINGW_INCLUDE, WINE_INCLUDE, WRC, check, resources  # noqa: E402

RT_MENU, RT_DIALOG = 4, 5
LONGEST_LITERAL = 4096  # bytes of an RC string as written, quotes included


def text_at(data, at):
    """A null-terminated UTF-16 string at `at`, and the offset after it."""
    end = at
    while struct.unpack_from("<H", data, end)[0]:
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def name_or_number(data, at):
    first = struct.unpack_from("<H", data, at)[0]
    if first == 0:
        return "", at + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    return text_at(data, at)


def dialog_texts(data):
    """(the dialog's title, [(id, text)] of its controls) of a DIALOGEX resource."""
    count = struct.unpack_from("<H", data, 16)[0]
    style = struct.unpack_from("<I", data, 12)[0]
    _, at = name_or_number(data, 26)  # menu
    _, at = name_or_number(data, at)  # class
    title, at = text_at(data, at)
    if style & 0x40:  # DS_SETFONT: size, weight, italic, character set, face
        _, at = text_at(data, at + 6)
    controls = []
    for _ in range(count):
        at = (at + 3) // 4 * 4
        number = struct.unpack_from("<I", data, at + 20)[0]
        _, at = name_or_number(data, at + 24)
        text, at = name_or_number(data, at)
        extra = struct.unpack_from("<H", data, at)[0]
        at += 2 + extra
        controls.append((number, text))
    return title, controls


def menu_texts(data):
    """Every item's caption of a MENU resource, in order."""
    texts, at = [], 4
    while at < len(data):
        flags = struct.unpack_from("<H", data, at)[0]
        at += 2 if flags & 0x10 else 4  # a POPUP has no id
        text, at = text_at(data, at)
        texts.append(text)
    return texts


def compile_all(rc, folder):
    """{compiler: resources} of the RC text `rc`; llvm-rc gets it without the dialog's MENU line, which it refuses."""
    llvm = rc.with_name("llvm.rc")
    llvm.write_bytes(re.sub(rb"^MENU \w+\r\n", b"", rc.read_bytes(), flags=re.M))
    commands = {
        "windres": ["-J", "rc", "-O", "res", "-i", rc.name, "-o", "windres.res"],
        "wrc": [WRC, "-I", WINE_INCLUDE, "-I", ".", "-o", "wrc.res", rc.name],
        "llvm-rc": ["-C", "1252", "-I", ".", "-I", MINGW_INCLUDE, "-fo", "llvm.res", llvm.name],
    }
    compiled = {}
    for compiler, command in commands.items():
        done = subprocess.run([PROGRAMS[compiler], *command] if compiler != "wrc" else command, cwd=folder,
                              capture_output=True)
        if check(done.returncode == 0, f"{compiler} refused {rc}: {done.stdout[-400:]!r} {done.stderr[-400:]!r}"):
            compiled[compiler] = (resources((folder / f"{compiler.split('-')[0]}.res").read_bytes()), done.stderr)
    return compiled


def frx_caption(text):
    return struct.pack("<I", len(text)) + text


LONG_FORM = b"""VERSION 5.00
Begin VB.Form frmLong 
   Caption         =   $"Long.frx":%(form)04X
   ClientHeight    =   3000
   ClientWidth     =   4000
   Begin VB.Frame Frame1 
      Caption         =   $"Long.frx":%(frame)04X
      Height          =   600
      Left            =   100
      Top             =   100
      Width           =   2000
   End
   Begin VB.Label Label1 
      Caption         =   $"Long.frx":%(label)04X
      Height          =   300
      Left            =   100
      Top             =   800
      Width           =   2000
   End
   Begin VB.CommandButton Command1 
      Caption         =   $"Long.frx":%(button)04X
      Height          =   300
      Left            =   100
      Top             =   1200
      Width           =   2000
   End
   Begin VB.CommandButton Command2 
      Caption         =   "OK"
      Height          =   300
      Left            =   100
      Top             =   1600
      Width           =   2000
   End
   Begin VB.Menu mnuFile 
      Caption         =   $"Long.frx":%(popup)04X
      Begin VB.Menu mnuLong 
         Caption         =   $"Long.frx":%(item)04X
         Shortcut        =   ^L
      End
   End
End
"""


def long_captions(tarvel_rc, folder):
    # 5,000 bytes each, quotes and backslashes among them (each written as two bytes).
    texts = {name: (f"{name} " + 'Ab"c\\d ' * 800).encode()[:5000]
             for name in ("form", "frame", "label", "button", "popup", "item")}
    frx, at = b"", {}
    for name, text in texts.items():
        at[name] = len(frx)
        frx += frx_caption(text)
    (folder / "Long.frx").write_bytes(frx)
    form = folder / "Long.frm"
    form.write_bytes((LONG_FORM % {name.encode(): offset for name, offset in at.items()}).replace(b"\n", b"\r\n"))
    rc = folder / "long.rc"
    done = subprocess.run([tarvel_rc, "--dialog", "--shortcuts", "--no-define", "-o", rc, form], capture_output=True)
    if not check(done.returncode == 0, f"Long.frm: exit status {done.returncode}: {done.stderr!r}"):
        return
    warnings = done.stderr.decode()
    for line, who in ((3, "the Caption of the form frmLong"), (7, "the Caption of Frame1"), (14, "the Caption of Label1"),
                      (21, "the Caption of Command1")):
        check(f"{form}:{line}: {who} (5000 bytes) is longer than a dialog template holds" in warnings,
              f"Long.frm: no warning for {who} at line {line}: {warnings}")
    for line, name in ((34, "mnuFile"), (36, "mnuLong")):
        check(re.search(f"{re.escape(str(form))}:{line}: the Caption of menu item '{name}' \\(5000 bytes\\) is longer "
                        r"than a resource compiler takes in one string: it is cut to its first \d+ bytes", warnings),
              f"Long.frm: no warning for {name}'s cut at line {line}: {warnings}")
    literals = re.findall(rb'"(?:[^"\r\n]|"")*"', rc.read_bytes())
    check(max(len(literal) for literal in literals) <= LONGEST_LITERAL,
          f"Long.frm: an RC string of {max(len(literal) for literal in literals)} bytes")
    for compiler, (compiled, _) in compile_all(rc, folder).items():
        dialogs = [data for (kind, _), data in compiled.items() if kind == RT_DIALOG]
        if check(len(dialogs) == 1, f"Long.frm {compiler}: {len(dialogs)} dialogs"):
            title, controls = dialog_texts(dialogs[0])
            check(title == "", f"Long.frm {compiler}: the dialog's title is {title[:40]!r}...")
            check([text for _, text in controls] == ["", "", "", "OK"], f"Long.frm {compiler}: controls {controls}")
        menus = [data for (kind, _), data in compiled.items() if kind == RT_MENU]
        if check(len(menus) == 1, f"Long.frm {compiler}: {len(menus)} menus"):
            popup, item = menu_texts(menus[0])
            check(len(popup) > 3000 and texts["popup"].decode().startswith(popup),
                  f"Long.frm {compiler}: the popup's caption ({len(popup)}) is not the start of the form's")
            caption, tab, label = item.partition("\t")
            check(len(caption) > 3000 and texts["item"].decode().startswith(caption) and label == "Ctrl+L",
                  f"Long.frm {compiler}: the item's caption ({len(caption)}, {label!r}) is not the start of the form's")


TRIGRAPH_FORM = b"""VERSION 5.00
Begin VB.Form frmAsk 
   Caption         =   "%(title)s"
   Begin VB.Label Label1 
      Caption         =   "%(label)s"
   End
   Begin VB.Menu mnuAsk 
      Caption         =   "%(title)s"
   End
   Begin VB.Menu mnuAll 
      Caption         =   "%(label)s"
   End
End
"""


def trigraphs(tarvel_rc, folder):
    title = b"What??/ ok??!"
    label = b"a??=b??/c??(d??)e??'f??<g??>h??!i??-j???=k ??"
    form = folder / "Ask.frm"
    form.write_bytes((TRIGRAPH_FORM % {b"title": title, b"label": label}).replace(b"\n", b"\r\n"))
    rc = folder / "ask.rc"
    done = subprocess.run([tarvel_rc, "--dialog", "-o", rc, form], capture_output=True)
    if not check(done.returncode == 0, f"Ask.frm: exit status {done.returncode}: {done.stderr!r}"):
        return
    compiled = compile_all(rc, folder)
    if "windres" in compiled:
        warned = compiled["windres"][1]
        check(b"trigraph" not in warned, f"Ask.frm: windres warns: {warned!r}")
    for compiler, (found, _) in compiled.items():
        dialogs = [data for (kind, _), data in found.items() if kind == RT_DIALOG]
        menus = [data for (kind, _), data in found.items() if kind == RT_MENU]
        if check(len(dialogs) == 1 and len(menus) == 1, f"Ask.frm {compiler}: {len(dialogs)} dialogs, {len(menus)} menus"):
            shown, controls = dialog_texts(dialogs[0])
            check((shown, [text for _, text in controls]) == (title.decode(), [label.decode()]),
                  f"Ask.frm {compiler}: the dialog shows {shown!r}, {controls}")
            check(menu_texts(menus[0]) == [title.decode(), label.decode()],
                  f"Ask.frm {compiler}: the menu shows {menu_texts(menus[0])}")


PROGRAMS = {}


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc = argv[1]
    PROGRAMS.update({"windres": argv[2], "llvm-rc": argv[3]})
    with tempfile.TemporaryDirectory(prefix="tarvel-strings-") as work:
        long_captions(tarvel_rc, Path(work))
        trigraphs(tarvel_rc, Path(work))
    if FAILURES:
        print(f"{len(FAILURES)} failure(s)", file=sys.stderr)
        return 1
    print("long captions and trigraphs compiled by windres, wrc and llvm-rc and read back")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
