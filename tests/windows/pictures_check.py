"""tarvel-rc --dialog --pictures under Wine: our own form with pictures
(tests/cli/picture_form.py) converted, its RC text and picture files compiled
by windres and linked into picture_host.exe, and the dialog created by
Windows: each PictureBox and Image static must show the image its resource
holds (STM_GETIMAGE gives a bitmap or an icon of the picture's own size and
top-left pixel), and the form's icon must be the program's first icon group,
the one Explorer shows. Called by wine_test.py with its running Wine.
"""

import re
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "cli"))
from picture_form import BITMAP_CORNER, GIF_TOP, ICON_COLOUR, write_picture_form  # noqa: E402

CROSS_COMPILER = "x86_64-w64-mingw32-g++-posix"
WINDRES = "x86_64-w64-mingw32-windres"


def colour(rgb):
    return "%02X%02X%02X" % rgb


def check_pictures(wine, linux_rc, work, check):
    work.mkdir(parents=True, exist_ok=True)
    form = write_picture_form(work)
    rc = work / "Pictures.rc"
    done = subprocess.run([str(linux_rc), "--dialog", "--pictures", "-o", str(rc), str(form)], capture_output=True)
    if not check(done.returncode == 0, f"pictures: tarvel-rc exit status {done.returncode}: {done.stderr!r}"):
        return
    subprocess.run([WINDRES, "-i", rc.name, "-O", "coff", "-o", "Pictures.o"], cwd=work, check=True)
    exe = work / "picture_host.exe"
    subprocess.run([CROSS_COMPILER, "-municode", "-static", "-mwindows", "-O1", "-Wall", "-Werror",
                    str(HERE / "picture_host.cpp"), "Pictures.o", "-o", str(exe)], cwd=work, check=True)
    shown = wine.run(exe, ["frmPictures"], work)
    if not check(shown.returncode == 0, f"pictures: picture_host exit status {shown.returncode}: {shown.stderr!r}"):
        return
    defines = {m.group(1).decode(): m.group(2).decode()
               for m in re.finditer(rb"^#define (\w+) (\d+)\r$", rc.read_bytes(), re.M)}
    lines = shown.stdout.decode().splitlines()
    check(lines[:1] == [f"first-icon {defines['frmPictures_Icon']}"],
          f"pictures: the program's first icon is not the form's: {lines[:1]}")
    got = {line.split()[0]: line.split()[1:] for line in lines[1:]}
    # Image1: the 4 x 3 bitmap as stored; Image2: the GIF as a 1 x 2 bitmap; Picture1: the icon.
    expected = {"Image1": ["bitmap", "4", "3", colour(BITMAP_CORNER)], "Image2": ["bitmap", "1", "2", colour(GIF_TOP)]}
    for name, want in expected.items():
        check(got.get(defines[name]) == want, f"pictures: {name} shows {got.get(defines[name])}, not {want}")
    icon = got.get(defines["Picture1"], [])
    check(icon[:1] == ["icon"] and icon[-1:] == [colour(ICON_COLOUR)], f"pictures: Picture1 shows {icon}, not the icon")
    check(len(got) == 3, f"pictures: {len(got)} statics show a picture, not 3: {lines}")
    print(f"pictures: {len(got)} statics of the dialog show their pictures, the form's icon first", flush=True)
