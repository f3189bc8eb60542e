#!/usr/bin/env python3
"""The dialogs of tarvel-rc --dialog on screen, under Wine: each test form is
converted, its RC text compiled and linked into dialog_host.exe (cross-built
with MinGW-w64, static), and the program creates the dialog with
CreateDialogParamW and reports every control's window class and rectangle
in pixels, and whether it is visible. Those are compared with the form's own
twips turned into pixels (15 twips a pixel at 96 dpi), within a few pixels:
an SSTab's controls where they show on their own tab, visible only on the
current one; look-alikes as the standard controls they resemble, and a
placeholder as an etched frame, where the form puts them. Every caption of
a button or static is measured in its font (GetTextExtentPoint32W, and
DrawTextW wrapped at the control's width): on one line it must fit the width
the control leaves it, wrapped (BS_MULTILINE, a static that wraps) its
height, within the font substitution's 10 %. The project's forms are checked,
and VIPER's frmSearchMTPairs from the corpus beside the repository when it is
there, whose tall check boxes Visual Basic shows on two lines.

  dialog_layout.py TARVEL_RC WORK_DIR [--screenshot PNG FORM]

Wine: WINEPREFIX and DISPLAY are used when the environment gives them (a
prefix already booted, an X server already running); otherwise a prefix is
made under WORK_DIR (wineboot -i, once) and an Xvfb started on a free display
for this run. Either way the prefix gets Wine's own TrueType fonts and MS Sans
Serif drawn as Tahoma, whose 8 points are 6 x 13 pixels like MS Sans Serif's
on Windows: the layout is then measured in the dialog units it was written in.

With --screenshot, FORM's dialog is also shown and photographed into PNG.
Exit status 0 when every control lay where the form puts it, 1 otherwise.
"""

import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "cli"))
from vb_form import read_form  # noqa: E402

FORMS = [HERE.parent / "cli" / "data" / name
         for name in ("dialog_every_kind.frm", "dialog_groups.frm", "dialog_tabs.frm", "dialog_lookalikes.frm")]
# A real form whose check box Visual Basic shows on two lines ("Update data in current file with results
# of search"), when the corpus is beside the repository.
CORPUS_FORM = HERE.parents[2] / "shared/corpus/menu/PNNL-Comp-Mass-Spec__VIPER__frmSearchMTPairs.frm"
TOLERANCE = 3  # pixels: a dialog unit is 1.5 pixels across and 1.6 down
# Tahoma drawn for MS Sans Serif sets a text up to this much wider than Visual Basic did.
TEXT_TOLERANCE = 0.10
BS_MULTILINE, SS_TYPEMASK = 0x2000, 0x1F
WRAPPING_STATICS = (0, 1, 2)  # SS_LEFT, SS_CENTER, SS_RIGHT
CXX = os.environ.get("MINGW_CXX", "x86_64-w64-mingw32-g++-posix")
WINDRES = os.environ.get("MINGW_WINDRES", "x86_64-w64-mingw32-windres")
WINDOWS_CLASSES = {
    "VB.CommandButton": "Button", "VB.CheckBox": "Button", "VB.OptionButton": "Button", "VB.Frame": "Button",
    "VB.Label": "Static", "VB.PictureBox": "Static", "VB.Image": "Static", "VB.Shape": "Static", "VB.Line": "Static",
    "VB.TextBox": "Edit", "VB.ComboBox": "ComboBox", "VB.DriveListBox": "ComboBox", "VB.ListBox": "ListBox",
    "VB.HScrollBar": "ScrollBar", "VB.VScrollBar": "ScrollBar", "MSComctlLib.ListView": "SysListView32",
    "MSComctlLib.TreeView": "SysTreeView32", "MSComctlLib.ProgressBar": "msctls_progress32",
    "MSComctlLib.Slider": "msctls_trackbar32", "MSComCtl2.UpDown": "msctls_updown32",
    "MSComctlLib.TabStrip": "SysTabControl32", "RichTextLib.RichTextBox": "RichEdit20W",
    "MSComctlLib.StatusBar": "msctls_statusbar32", "TabDlg.SSTab": "SysTabControl32", "Threed.SSPanel": "Static",
    # look-alikes
    "MSMask.MaskEdBox": "Edit", "MSDataListLib.DataCombo": "ComboBox", "MSDataListLib.DataList": "ListBox",
    "MSFlexGridLib.MSFlexGrid": "SysListView32", "XtremeSuiteControls.PushButton": "Button",
    "XtremeSuiteControls.FlatEdit": "Edit", "XtremeSuiteControls.Label": "Static", "XtremeSuiteControls.GroupBox": "Button",
    "Project1.CheckBoxW": "Button", "Project1.OptionButtonW": "Button", "Project1.TextBoxW": "Edit",
    "Project1.ComboBoxW": "ComboBox", "Project1.ListBoxW": "ListBox", "Project1.dcButton": "Button",
    "Project1.LabelW": "Static", "Threed.SSFrame": "Button",
}
# Windows sizes these itself: a closed combo box to its font, a status bar to the dialog's bottom edge.
OWN_HEIGHT = ("VB.ComboBox", "VB.DriveListBox", "MSComctlLib.StatusBar", "MSDataListLib.DataCombo", "Project1.ComboBoxW")


def run(arguments, **kw):
    return subprocess.run([str(a) for a in arguments], check=True, capture_output=True, **kw)


class Wine:
    """A booted prefix and an X display, made here unless the environment has them."""

    def __init__(self, work):
        self.env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = None
        if not os.environ.get("DISPLAY"):
            display = next(n for n in range(90, 200) if not Path(f"/tmp/.X11-unix/X{n}").exists())
            self.xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = f":{display}"
            time.sleep(1)
        if not os.environ.get("WINEPREFIX"):
            self.env["WINEPREFIX"] = str(work / "wineprefix")
            if not (work / "wineprefix" / "system.reg").exists():
                run(["wineboot", "-i"], env=self.env, timeout=300)
        fonts = Path(self.env["WINEPREFIX"]) / "drive_c" / "windows" / "Fonts"
        for font in Path("/usr/share/wine/fonts").glob("*.ttf"):
            if not (fonts / font.name).exists():
                shutil.copy(font, fonts)
        run(["wine", "reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes",
             "/v", "MS Sans Serif", "/t", "REG_SZ", "/d", "Tahoma", "/f"], env=self.env, timeout=120)

    def run(self, arguments, timeout=120):
        return subprocess.run(["wine", *map(str, arguments)], env=self.env, capture_output=True, timeout=timeout)

    def close(self):
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()


def build_host(tarvel_rc, form, work, host_object):
    """dialog_host.exe with FORM's dialog linked in, and the RC text's #define list."""
    rc, res, exe = work / (form.stem + ".rc"), work / (form.stem + ".o"), work / (form.stem + ".exe")
    run([tarvel_rc, "--dialog", "-o", rc, form])
    run([WINDRES, "-i", rc, "-O", "coff", "-o", res])
    run([CXX, "-municode", "-static", "-mwindows", host_object, res, "-o", exe, "-lcomctl32"])
    defines = dict((m.group(2), m.group(1).decode()) for m in re.finditer(rb"#define (\w+) (\d+)\r\n", rc.read_bytes()))
    return exe, defines


def check_layout(wine, form, exe, defines):
    failures = []
    root = read_form(form)
    shown = wine.run([exe, root.name])
    if shown.returncode != 0:
        return [f"{form.name}: dialog_host exited {shown.returncode}: {shown.stderr.decode(errors='replace')}"]
    lines = shown.stdout.decode().split("\n")
    if lines[1].split() != ["base", "6", "13"]:
        failures.append(f"{form.name}: dialog base units {lines[1]!r}, not MS Sans Serif's 6 x 13 (the font substitute?)")
    controls = {o.name + o.props.get("Index", b"").decode(): o for o in root.walk()}
    seen = hidden = measured = 0
    for line in lines[3:]:
        if not line.strip():
            continue
        number, got_class, *rect, visible = line.split()[:7]
        caption = line.split()[7:]
        name = defines.get(number.encode(), "?").replace("_", "")
        control = controls.get(name)
        if control is None:
            failures.append(f"{form.name}: control {number} ({name}) is not in the form")
            continue
        seen += 1
        want_class = WINDOWS_CLASSES.get(control.kind, "?")
        if got_class.lower() != want_class.lower():
            failures.append(f"{form.name}: {name} is a {got_class}, expected {want_class}")
        if (visible == "1") != control.shown():
            failures.append(f"{form.name}: {name} is {'visible' if visible == '1' else 'hidden'}, the form shows it "
                            f"{'at first' if control.shown() else 'only on its own tab, or not at all'}")
        hidden += visible != "1"
        if caption and caption[0] != "-":
            measured += 1
            failures += clipped(form, name, got_class, *caption)
        x, y, w, h = (int(v) for v in rect)
        if control.kind == "VB.Line":
            continue  # an etched line is drawn two pixels thick at the top of its rectangle
        want = control.pixels()
        names = ("left", "top", "width", "height")
        for what, got, expected in zip(names, (x, y, w, h), want):
            if what == "height" and control.kind in OWN_HEIGHT:
                continue
            if abs(got - expected) > TOLERANCE:
                failures.append(f"{form.name}: {name} {what} {got} px, the form says {expected:.1f}")
    if seen == 0:
        failures.append(f"{form.name}: no control reported")
    print(f"{form.name}: {seen} controls placed, {hidden} of them hidden, {measured} captions measured")
    return failures


def clipped(form, name, got_class, one_line, line_height, room, wrapped, client_height, style):
    """The caption against the control's client rectangle: on one line it must fit the width the control
    leaves it, wrapped (BS_MULTILINE, a static that wraps) the height; both within TEXT_TOLERANCE."""
    one_line, line_height, room, wrapped, client_height = map(int, (one_line, line_height, room, wrapped, client_height))
    style = int(style, 16)
    wraps = (style & BS_MULTILINE) if got_class.lower() == "button" else (style & SS_TYPEMASK) in WRAPPING_STATICS
    wider = room * (1 + TEXT_TOLERANCE) + 2
    if not wraps:
        if one_line > wider:
            return [f"{form.name}: {name}'s caption is {one_line} px on one line, the control leaves it {room} px"]
        return []
    # Wrapped, it needs at least as many lines as its width asks of the wider room.
    lines_needed = max(1, -(-one_line // int(wider)))
    if wrapped > client_height + 2 and lines_needed * line_height > client_height + 2:
        return [f"{form.name}: {name}'s caption wraps to {wrapped} px, the control is {client_height} px high"]
    return []


def screenshot(wine, tarvel_rc, form, work, host_object, png):
    exe, _ = build_host(tarvel_rc, form, work, host_object)
    shown = subprocess.Popen(["wine", str(exe), read_form(form).name, "8000"], env=wine.env,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    run(["xdotool", "search", "--sync", "--onlyvisible", "--classname", exe.name], env=wine.env, timeout=60)
    time.sleep(1.5)  # painted by now, and shown for some seconds more
    run(["import", "-display", wine.env["DISPLAY"], "-window", "root", work / "screen.png"], env=wine.env)
    output, _ = shown.communicate(timeout=60)
    window = output.decode().split("\n")[2].split()  # "window W H", placed at the screen's corner
    run(["convert", work / "screen.png", "-crop", f"{window[1]}x{window[2]}+0+0", "+repage", "-strip",
         "-colors", "64", f"PNG8:{png}"])
    print(f"screenshot of {form.name} in {png}")


def main(argv):
    if len(argv) not in (3, 6) or (len(argv) == 6 and argv[3] != "--screenshot"):
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc, work = Path(argv[1]).resolve(), Path(argv[2]).resolve()
    work.mkdir(parents=True, exist_ok=True)
    started = time.monotonic()
    host_object = work / "dialog_host.o"
    run([CXX, "-municode", "-O1", "-Wall", "-c", HERE / "dialog_host.cpp", "-o", host_object])
    wine = Wine(work)
    try:
        failures = []
        forms = FORMS + ([CORPUS_FORM] if CORPUS_FORM.is_file() else [])
        if not CORPUS_FORM.is_file():
            print(f"no corpus form at {CORPUS_FORM}: the project's forms only")
        for form in forms:
            exe, defines = build_host(tarvel_rc, form, work, host_object)
            failures += check_layout(wine, form, exe, defines)
        if len(argv) == 6:
            screenshot(wine, tarvel_rc, Path(argv[5]).resolve(), work, host_object, Path(argv[4]).resolve())
    finally:
        wine.close()
    for failure in failures:
        print("FAIL " + failure, file=sys.stderr)
    print(f"{len(failures)} failure(s) in {time.monotonic() - started:.0f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
