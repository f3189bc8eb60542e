#!/usr/bin/env python3
"""tarvel-rc --pictures through real resource compilers: the RC text and the
picture files written beside it, for a form of our own and for every form of
../shared/corpus/pictures, compiled by windres, Wine's wrc and llvm-rc; the
compiled .res is read back and must hold each ICON, CURSOR and BITMAP
resource under the number the RC text #defines for it, the form's icon with
the lowest icon number (the one Explorer shows), each bitmap's pixels as its
file has them, each cursor's first image with its file's hotspot, and every
dialog that shows a picture. Our own forms are the one with pictures and the
one with a mouse pointer, a tab picture and the form's Picture.

  pictures_compile.py TARVEL_RC WINDRES LLVM_RC [CORPUS_DIR]

Wine's wrc is TARVEL_WRC (default wrc). llvm-rc takes no MENU line in a
dialog and reads only code pages 1252 and 65001: it compiles the text with
-C 1252, and without the dialog where the form has a menu. Exit status 0
when everything held, 1 otherwise; without the corpus only our own form is
compiled, with a message.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from picture_form import BMP, write_picture_form, write_pointer_form  # noqa: E402

WRC = os.environ.get("TARVEL_WRC", "wrc")
WINE_INCLUDE = "/usr/include/wine/wine/windows"
MINGW_INCLUDE = "/usr/share/mingw-w64/include"
RT_CURSOR, RT_BITMAP, RT_DIALOG, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 2, 5, 12, 14
FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print("FAIL " + what, file=sys.stderr)
    return condition


def resources(res):
    """{(type, name): data} of a .res file; a name or type is a number or an upper-case string."""
    found, at = {}, 0

    def ident(offset):
        if struct.unpack_from("<H", res, offset)[0] == 0xFFFF:
            return struct.unpack_from("<H", res, offset + 2)[0], offset + 4
        end = offset
        while struct.unpack_from("<H", res, end)[0]:
            end += 2
        return res[offset:end].decode("utf-16-le").upper(), end + 2

    while at + 8 <= len(res):
        size, header = struct.unpack_from("<II", res, at)
        kind, after = ident(at + 8)
        name, _ = ident(after)
        if size:
            found[(kind, name)] = res[at + header: at + header + size]
        at += (header + size + 3) // 4 * 4
    return found


def pictures_of(rc_text):
    """[(name, number, "ICON", "CURSOR" or "BITMAP", file)] from the RC text's picture lines and #define list."""
    defines = {m.group(1): int(m.group(2)) for m in re.finditer(rb"^#define (\w+) (\d+)\r$", rc_text, re.M)}
    found = []
    for m in re.finditer(rb'^(\w+) (ICON|CURSOR|BITMAP) "([^"]+)"\r$', rc_text, re.M):
        name = m.group(1)
        number = int(name) if name.isdigit() else defines.get(name)
        found.append((name.decode(), number, m.group(2).decode(), m.group(3).decode()))
    return found


def compile_with(label, command, folder):
    done = subprocess.run(command, cwd=folder, capture_output=True)
    if not check(done.returncode == 0, f"{label} refused: {done.stdout[-400:]!r} {done.stderr[-400:]!r}"):
        return None
    return resources((folder / "out.res").read_bytes())


def check_compiled(label, compiled, pictures, folder, form_icon, dialog_shows):
    if compiled is None:
        return
    icons = sorted(n for (kind, n) in compiled if kind == RT_GROUP_ICON)
    bitmaps = sorted(n for (kind, n) in compiled if kind == RT_BITMAP)
    check(icons == sorted(n for _, n, kind, _ in pictures if kind == "ICON"), f"{label}: icon groups {icons}")
    check(bitmaps == sorted(n for _, n, kind, _ in pictures if kind == "BITMAP"), f"{label}: bitmaps {bitmaps}")
    cursors = sorted(n for (kind, n) in compiled if kind == RT_GROUP_CURSOR)
    check(cursors == sorted(n for _, n, kind, _ in pictures if kind == "CURSOR"), f"{label}: cursor groups {cursors}")
    if form_icon:
        check(icons and icons[0] == form_icon, f"{label}: the form's icon {form_icon} is not the first of {icons}")
    for name, number, kind, file in pictures:
        if kind == "CURSOR" and (RT_GROUP_CURSOR, number) in compiled:
            # The group's first entry names the cursor image: its hotspot, then the image, as the file has them.
            stored = (folder / file).read_bytes()
            hotspot = stored[10:14]
            size, offset = struct.unpack_from("<II", stored, 14)
            image_id = struct.unpack_from("<H", compiled[(RT_GROUP_CURSOR, number)], 6 + 12)[0]
            check(compiled.get((RT_CURSOR, image_id)) == hotspot + stored[offset:offset + size],
                  f"{label}: cursor {name} does not hold {file}'s hotspot and image")
        if kind == "BITMAP":
            check(compiled.get((RT_BITMAP, number)) == (folder / file).read_bytes()[14:],
                  f"{label}: bitmap {name} does not hold {file} without its file header")
    if dialog_shows:
        check(any(kind == RT_DIALOG for kind, _ in compiled), f"{label}: no dialog")


def convert(tarvel_rc, form, folder, options):
    for old in folder.glob("*"):
        old.unlink()
    done = subprocess.run([tarvel_rc, *options, "-o", folder / "out.rc", form], capture_output=True)
    check(done.returncode == 0, f"{form.name} {' '.join(options)}: exit status {done.returncode}: {done.stderr!r}")
    return (folder / "out.rc").read_bytes() if done.returncode == 0 else None


def check_form(tarvel_rc, windres, llvm_rc, form, work):
    """Converts with --all and compiles; gives the number of pictures compiled."""
    folder = work / "out"
    folder.mkdir(exist_ok=True)
    text = convert(tarvel_rc, form, folder, ["--all"])
    if text is None:
        return 0
    pictures = pictures_of(text)
    check(all(number is not None for _, number, _, _ in pictures), f"{form.name}: a picture without a number")
    icon_names = [number for name, number, kind, _ in pictures if kind == "ICON" and name.endswith("_Icon")]
    form_icon = icon_names[0] if icon_names and pictures[0][0].endswith("_Icon") else None
    shows = b"SS_BITMAP" in text or b"SS_ICON" in text
    check_compiled(f"{form.name} windres", compile_with(
        "windres", [windres, "-J", "rc", "-O", "res", "-i", "out.rc", "-o", "out.res"], folder),
        pictures, folder, form_icon, shows)
    check_compiled(f"{form.name} wrc", compile_with(
        "wrc", [WRC, "-I", WINE_INCLUDE, "-I", ".", "-o", "out.res", "out.rc"], folder), pictures, folder, form_icon, shows)
    # llvm-rc: without the dialog where it would name a menu.
    text = convert(tarvel_rc, form, folder, ["--pictures", "--dialog"])
    with_menu = text is not None and b"\r\nMENU " in text
    if with_menu:
        text = convert(tarvel_rc, form, folder, ["--pictures"])
    if text is None:
        return 0
    check_compiled(f"{form.name} llvm-rc", compile_with(
        "llvm-rc", [llvm_rc, "-C", "1252", "-I", ".", "-I", MINGW_INCLUDE, "-fo", "out.res", "out.rc"], folder),
        pictures_of(text), folder, form_icon, shows and not with_menu)
    return len(pictures)


def main(argv):
    if len(argv) not in (4, 5):
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc, windres, llvm_rc = (os.path.abspath(a) if os.path.exists(a) else a for a in argv[1:4])
    with tempfile.TemporaryDirectory(prefix="tarvel-pictures-") as temporary:
        work = Path(temporary)
        own = work / "form"
        own.mkdir()
        count = check_form(tarvel_rc, windres, llvm_rc, write_picture_form(own), work)
        check(count == 6, f"our own form: {count} pictures compiled, not 6")
        # Our own bitmap as stored, in the bitmap resource of Image1.
        check((work / "out" / "Pictures_Image1.bmp").read_bytes() == BMP, "Pictures_Image1.bmp is not the stored BMP")
        pointers = work / "pointers"
        pointers.mkdir()
        compiled = check_form(tarvel_rc, windres, llvm_rc, write_pointer_form(pointers), work)
        check(compiled == 4, f"our own form with pointers: {compiled} pictures compiled, not 4")
        count += compiled
        corpus = Path(argv[4]) / "pictures" if len(argv) == 5 else None
        forms = 0
        if corpus and corpus.is_dir():
            for folder in sorted(p for p in corpus.iterdir() if p.is_dir()):
                for form in folder.iterdir():
                    if form.suffix.lower() == ".frm":
                        count += check_form(tarvel_rc, windres, llvm_rc, form, work)
                        forms += 1
        else:
            print(f"Skipped the real forms: none at {corpus}")
    print(f"{forms + 2} forms, {count} pictures compiled by windres, wrc and llvm-rc; {len(FAILURES)} failure(s)")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
