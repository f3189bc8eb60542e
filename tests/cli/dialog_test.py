#!/usr/bin/env python3
"""tarvel-rc --dialog through real resource compilers: the RC text is
compiled by windres (with its own preprocessor, which finds <windows.h>),
the compiled dialog is read back (windres -O rc), and each control's class,
rectangle and styles are compared with what the form itself says. Wine's
wrc (TARVEL_WRC, else from the PATH, with Wine's <windows.h>) compiles every
text too, and its dialogs, read back the same way, must be windres's.

  dialog_test.py forms   TARVEL_RC WINDRES DATA_DIR   the forms of our own
  dialog_test.py corpus  TARVEL_RC WINDRES DIR        every real form converts and compiles

Exit status 0 when everything held, 1 otherwise, 77 (skipped) when the
corpus folder is absent.
"""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from vb_form import TWIPS_PER_PIXEL, read_form  # noqa: E402

SKIPPED = 77
# Wine's resource compiler (Debian's wine64-tools) and the Windows headers it reads.
WRC = os.environ.get("TARVEL_WRC", "wrc")
WINE_INCLUDE = "/usr/include/wine/wine/windows"
STYLES = {
    "WS_VISIBLE": 0x10000000, "WS_CLIPSIBLINGS": 0x04000000, "WS_DISABLED": 0x08000000, "WS_BORDER": 0x00800000, "WS_VSCROLL": 0x00200000,
    "WS_HSCROLL": 0x00100000, "WS_SYSMENU": 0x00080000, "WS_THICKFRAME": 0x00040000, "WS_GROUP": 0x00020000,
    "WS_TABSTOP": 0x00010000, "WS_MINIMIZEBOX": 0x00020000, "WS_MAXIMIZEBOX": 0x00010000, "WS_CAPTION": 0x00C00000,
    "DS_MODALFRAME": 0x80, "DS_CENTER": 0x800, "BS_DEFPUSHBUTTON": 1, "BS_AUTOCHECKBOX": 3, "BS_GROUPBOX": 7,
    "BS_AUTORADIOBUTTON": 9, "SS_RIGHT": 2, "SS_CENTER": 1, "SS_NOPREFIX": 0x80, "SS_ETCHEDFRAME": 0x12,
    "SS_ETCHEDHORZ": 0x10, "BS_PUSHBUTTON": 0, "SS_LEFT": 0, "SS_ETCHEDVERT": 0x11, "ES_MULTILINE": 4, "ES_PASSWORD": 0x20, "ES_READONLY": 0x800,
    "ES_AUTOHSCROLL": 0x80, "CBS_DROPDOWN": 2, "CBS_DROPDOWNLIST": 3, "CBS_SORT": 0x100, "LBS_SORT": 2,
    "LBS_EXTENDEDSEL": 0x800, "LBS_NOINTEGRALHEIGHT": 0x100, "SBS_VERT": 1, "LVS_REPORT": 1, "TVS_HASLINES": 2,
}
BUTTON, STATIC, EDIT, LISTBOX, SCROLLBAR, COMBOBOX = "BUTTON", "STATIC", "EDIT", "LISTBOX", "SCROLLBAR", "COMBOBOX"
NUMBERED_CLASSES = {128: BUTTON, 129: EDIT, 130: STATIC, 131: LISTBOX, 132: SCROLLBAR, 133: COMBOBOX}
KEYWORD_CLASSES = {
    "PUSHBUTTON": BUTTON, "DEFPUSHBUTTON": BUTTON, "AUTOCHECKBOX": BUTTON, "CHECKBOX": BUTTON, "RADIOBUTTON": BUTTON,
    "AUTORADIOBUTTON": BUTTON, "GROUPBOX": BUTTON, "USERBUTTON": BUTTON, "LTEXT": STATIC, "RTEXT": STATIC, "CTEXT": STATIC,
    "EDITTEXT": EDIT, "LISTBOX": LISTBOX, "SCROLLBAR": SCROLLBAR, "COMBOBOX": COMBOBOX,
}
NO_TEXT = ("EDITTEXT", "LISTBOX", "SCROLLBAR", "COMBOBOX")


def bits(names):
    value = 0
    for name in names.split():
        value |= STYLES[name]
    return value


def fields(text):
    """The comma-separated fields of a windres line, strings kept whole."""
    return [f.strip() for f in re.findall(r'(?:L?"(?:[^"]|"")*"|[^,])+', text)]


def compiled_dialogs(rc_text):
    """{NAME: {"style", "header", "controls": [(id, class, (x, y, w, h), style)]}} from windres -O rc."""
    dialogs, current = {}, None
    for raw in rc_text.splitlines():
        line = raw.strip()
        header = re.match(r'^"?([^" ]+)"? DIALOGEX [A-Z ]*?(\d+), (\d+), (\d+), (\d+)$', line)
        if header:
            current = {"rect": tuple(int(v) for v in header.groups()[1:]), "header": {}, "controls": []}
            dialogs[header.group(1)] = current
        elif current is None or line in ("BEGIN", ""):
            continue
        elif line == "END":
            current = None
        elif line.split()[0] in ("STYLE", "EXSTYLE", "CAPTION", "MENU", "FONT"):
            current["header"][line.split()[0]] = line.split(None, 1)[1]
        else:
            keyword, rest = line.split(None, 1)
            f = fields(rest)
            if keyword == "CONTROL":
                cls = f[2].strip('"') if f[2].startswith('"') else NUMBERED_CLASSES[int(f[2], 0)]
                current["controls"].append((int(f[1]), cls, tuple(int(v) for v in f[4:8]), int(f[3], 0)))
            else:
                f = [None] + f if keyword in NO_TEXT else f
                cls = KEYWORD_CLASSES.get(keyword, "unexpected " + keyword)
                current["controls"].append((int(f[1]), cls, tuple(int(v) for v in f[2:6]), int(f[6], 0)))
    return dialogs


def same_dialogs(dialogs, rc_text):
    """The dialogs as either compiler's resource reads back: a class or a menu's name in any case (wrc keeps
    the RC text's, windres makes it upper case; wrc keeps a standard class by number), and a font's size,
    face, weight and italic flag, 0 where not written. Not its character set: wrc (Wine 8) writes none, so
    a form's Charset = 238 reaches a dialog that windres compiles and not one that wrc does. Nor a title
    with a byte that Windows-1252 leaves undefined, when the text names no code page: windres cuts it
    there, wrc does not."""
    undefined = any(b in line for line in re.findall(rb"^CAPTION .*$", rc_text, re.M) for b in b"\x81\x8d\x8f\x90\x9d")
    shown = {}
    for name, dialog in dialogs.items():
        header = {k: v.upper() for k, v in dialog["header"].items() if not (k == "CAPTION" and undefined)}
        if "FONT" in header:
            font = fields(header["FONT"]) + ["0", "0", "0"]
            header["FONT"] = font[:4]
        controls = [(number, cls.upper(), rect, style) for number, cls, rect, style in dialog["controls"]]
        shown[name.upper()] = (dialog["rect"], header, controls)
    return shown


def units(px_x=None, px_y=None):
    """Pixels to dialog units of an 8-point MS Sans Serif (6 x 13 pixels)."""
    return (round(px_x * 4 / 6) if px_x is not None else None), (round(px_y * 8 / 13) if px_y is not None else None)


def expected_rect(control):
    x, y, w, h = control.pixels()
    return units(x, y) + units(w, h)


class Checker:
    def __init__(self, tarvel_rc, windres, work):
        self.tarvel_rc, self.windres, self.work = tarvel_rc, windres, Path(work)
        self.failures = 0
        self.count = 0

    def check(self, condition, what):
        if not condition:
            self.failures += 1
            print(f"FAIL {what}", file=sys.stderr)
        return condition

    def compile(self, form, *options):
        """(exit status, stderr, RC text, compiled dialogs) of one conversion."""
        self.count += 1
        rc, res = self.work / f"d{self.count}.rc", self.work / f"d{self.count}.res"
        run = subprocess.run([self.tarvel_rc, "--dialog", *options, "-o", str(rc), str(form)], capture_output=True)
        if run.returncode != 0:
            return run.returncode, run.stderr, None, None
        compiled = subprocess.run([self.windres, "-J", "rc", "-O", "res", "-i", str(rc), "-o", str(res)], capture_output=True)
        if not self.check(compiled.returncode == 0, f"{form}: windres refused {rc}: {compiled.stderr.decode(errors='replace')}"):
            return run.returncode, run.stderr, rc.read_bytes(), None
        back = subprocess.run([self.windres, "-J", "res", "-O", "rc", "-i", str(res)], capture_output=True, check=True)
        dialogs = compiled_dialogs(back.stdout.decode("cp1252"))
        by_wrc = rc.with_suffix(".wrc.res")
        compiled = subprocess.run([WRC, "-I", WINE_INCLUDE, "-I", str(rc.parent), "-o", str(by_wrc), str(rc)], capture_output=True)
        if self.check(compiled.returncode == 0, f"{form}: wrc refused {rc}: {compiled.stderr.decode(errors='replace')}"):
            back = subprocess.run([self.windres, "-J", "res", "-O", "rc", "-i", str(by_wrc)], capture_output=True, check=True)
            text = rc.read_bytes()
            self.check(same_dialogs(compiled_dialogs(back.stdout.decode("cp1252")), text) == same_dialogs(dialogs, text),
                       f"{form}: the dialogs wrc compiled from {rc} are not windres's")
        return run.returncode, run.stderr, rc.read_bytes(), (dialogs, res.read_bytes())

    def controls_match(self, form, dialog, expected, first_id):
        """Every control in tab order, numbered on from first_id, with its class, rectangle and styles."""
        got = dialog["controls"]
        self.check(len(got) == len(expected), f"{form}: {len(got)} controls compiled, {len(expected)} expected")
        for number, (control, (cls, on, off)) in enumerate(expected, start=first_id):
            line = next((c for c in got if c[0] == number), None)
            if not self.check(line is not None, f"{form}: no control numbered {number} ({control.name})"):
                continue
            _, got_class, rect, style = line
            self.check(got_class.upper() == cls.upper(), f"{form}: {control.name} is a {got_class}, expected {cls}")
            want = expected_rect(control)
            if cls == COMBOBOX or control.kind == "VB.DriveListBox":
                want = want[:3] + (want[3] + 64,)  # the open list's height
            if control.kind != "VB.Line":
                self.check(rect == want, f"{form}: {control.name} at {rect}, expected {want}")
            self.check(style & bits(on) == bits(on), f"{form}: {control.name} style {style:#x} lacks {on}")
            self.check(style & bits(off) == 0, f"{form}: {control.name} style {style:#x} has one of {off}")

    def every_kind(self, form):
        status, err, rc_text, compiled = self.compile(form)
        if not self.check(status == 0 and err == b"" and compiled, f"{form}: exit {status}, {err!r}"):
            return
        dialogs, res = compiled
        dialog = dialogs.get("FRMEVERY")
        if not self.check(dialog is not None, f"{form}: no FRMEVERY dialog in {sorted(dialogs)}"):
            return
        self.check(rc_text.startswith(b"#include <windows.h>\r\n"), f"{form}: the text does not start with the include")
        root = read_form(form)
        self.check(dialog["rect"] == (0, 0) + units(root.number("ClientWidth") / TWIPS_PER_PIXEL,
                                                     root.number("ClientHeight") / TWIPS_PER_PIXEL),
                   f"{form}: dialog size {dialog['rect']}")
        header = dialog["header"]
        style = int(header["STYLE"], 0)
        self.check(style & bits("DS_MODALFRAME DS_CENTER WS_CAPTION WS_SYSMENU") == bits("DS_MODALFRAME DS_CENTER WS_CAPTION WS_SYSMENU")
                   and style & bits("WS_THICKFRAME WS_MINIMIZEBOX WS_MAXIMIZEBOX") == 0, f"{form}: dialog style {style:#x}")
        self.check(header.get("MENU") == "GLOWNE", f"{form}: menu {header.get('MENU')}")
        self.check(header.get("FONT") == '8, "MS Sans Serif", 400, 0, 238', f"{form}: font {header.get('FONT')}")
        c = {o.name + o.props.get("Index", b"").decode(): o for o in root.walk()}
        expected = [
            (c["cmdOK"], (BUTTON, "BS_DEFPUSHBUTTON WS_TABSTOP WS_VISIBLE", "")),
            (c["cmdCancel"], (BUTTON, "WS_VISIBLE", "WS_TABSTOP BS_DEFPUSHBUTTON")),
            (c["lblName"], (STATIC, "SS_RIGHT SS_NOPREFIX", "WS_BORDER")),
            (c["txtName"], (EDIT, "WS_BORDER WS_TABSTOP ES_AUTOHSCROLL", "ES_MULTILINE")),
            (c["lblBox"], (STATIC, "SS_CENTER WS_BORDER", "SS_NOPREFIX")),
            (c["txtNotes"], (EDIT, "ES_MULTILINE WS_VSCROLL ES_READONLY", "WS_HSCROLL ES_AUTOHSCROLL")),
            (c["txtPass"], (EDIT, "ES_PASSWORD WS_DISABLED", "ES_MULTILINE")),
            (c["chkAgree"], (BUTTON, "BS_AUTOCHECKBOX WS_TABSTOP", "")),
            (c["cboEdit"], (COMBOBOX, "CBS_DROPDOWN CBS_SORT WS_VSCROLL WS_TABSTOP", "")),
            (c["cboList"], (COMBOBOX, "CBS_DROPDOWNLIST WS_TABSTOP", "CBS_SORT")),
            (c["lstItems"], (LISTBOX, "LBS_SORT LBS_EXTENDEDSEL LBS_NOINTEGRALHEIGHT WS_TABSTOP", "")),
            (c["hsbZoom"], (SCROLLBAR, "WS_TABSTOP", "SBS_VERT")),
            (c["vsbPos"], (SCROLLBAR, "SBS_VERT", "")),
            (c["picLogo"], (STATIC, "SS_ETCHEDFRAME", "WS_TABSTOP")),
            (c["lvwFiles"], ("SysListView32", "LVS_REPORT WS_TABSTOP", "")),
            (c["tvwTree"], ("SysTreeView32", "TVS_HASLINES", "")),
            (c["prgDone"], ("msctls_progress32", "WS_VISIBLE", "WS_TABSTOP")),
            (c["sldVolume"], ("msctls_trackbar32", "WS_TABSTOP", "")),
            (c["updCount"], ("msctls_updown32", "WS_VISIBLE", "")),
            (c["tabPages"], ("SysTabControl32", "WS_TABSTOP", "")),
            (c["rtfText"], ("RichEdit20W", "ES_MULTILINE", "")),
            (c["cmdDigit0"], (BUTTON, "WS_TABSTOP", "")),
            (c["cmdDigit1"], (BUTTON, "WS_TABSTOP", "")),
            (c["cmdHidden"], (BUTTON, "WS_TABSTOP", "WS_VISIBLE")),
            (c["drvDisk"], (COMBOBOX, "CBS_DROPDOWNLIST", "")),
            (c["sbrStatus"], ("msctls_statusbar32", "WS_VISIBLE", "")),
            # Those without a TabIndex come last, in the form's order.
            (c["imgIcon"], (STATIC, "SS_ETCHEDFRAME", "")),
            (c["shpBox"], (STATIC, "SS_ETCHEDFRAME", "")),
            (c["linTop"], (STATIC, "SS_ETCHEDHORZ", "")),
            (c["linSide"], (STATIC, "SS_ETCHEDVERT", "")),
        ]
        self.controls_match(form, dialog, expected, 101)  # the menu's one item is 100
        self.check(b'"Jan ""Kowalski"" C:\\\\new"' in rc_text, f"{form}: the text box's text is not written as an RC string")
        self.check(b"#define cmdDigit_1 123\r\n" in rc_text, f"{form}: the control array's second member is not cmdDigit_1")
        for name in ("tmrTick", "dlgOpen"):
            self.check(name.encode() not in rc_text, f"{form}: {name}, shown nothing at run time, is in the text")
        # Names or numbers, the compiled dialog is the same.
        status, _, _, numbered = self.compile(form, "--no-define")
        self.check(status == 0 and numbered and numbered[1] == res, f"{form}: --no-define compiles to another resource")

    def frames_and_groups(self, form):
        status, err, _, compiled = self.compile(form)
        if not self.check(status == 0 and err == b"" and compiled, f"{form}: exit {status}, {err!r}"):
            return
        dialog = compiled[0].get("FRMGROUPS")
        if not self.check(dialog is not None and "MENU" not in dialog["header"], f"{form}: no dialog, or one with a menu"):
            return
        c = {o.name: o for o in read_form(form).walk()}
        group, hidden, disabled = "WS_GROUP", "WS_VISIBLE", "WS_DISABLED"
        expected = [
            (c["fraSize"], (BUTTON, "BS_GROUPBOX", "")),
            (c["optSmall"], (BUTTON, f"BS_AUTORADIOBUTTON {group}", "")),
            (c["optLarge"], (BUTTON, "BS_AUTORADIOBUTTON", group)),
            (c["fraInner"], (BUTTON, f"BS_GROUPBOX {group} {disabled}", "")),  # the first after a run
            (c["optInner"], (BUTTON, f"{group} {disabled}", "")),  # another container, disabled with it
            (c["fraColor"], (BUTTON, group, hidden)),
            (c["optRed"], (BUTTON, group, hidden)),  # hidden with its frame
            (c["optBlue"], (BUTTON, "BS_AUTORADIOBUTTON", f"{group} {hidden}")),
            (c["chkBold"], (BUTTON, f"BS_AUTOCHECKBOX {group}", hidden)),
            (c["picTools"], (STATIC, "SS_ETCHEDFRAME", "")),
            (c["optPen"], (BUTTON, group, "")),  # inside the picture box's border
            (c["optBrush"], (BUTTON, "BS_AUTORADIOBUTTON", group)),
            (c["cmdClear"], (BUTTON, group, "")),
            (c["optFormA"], (BUTTON, group, "")),
            (c["optFormB"], (BUTTON, "WS_VISIBLE", group)),
            (c["cmdClose"], (BUTTON, group, "")),
        ]
        self.controls_match(form, dialog, expected, 100)  # no menu: from the first number

    def unknown_controls(self, form):
        status, err, rc_text, compiled = self.compile(form)
        if not self.check(status == 0 and compiled, f"{form}: exit {status}, {err!r}"):
            return
        prefix = b"tarvel-rc: warning: " + str(form).encode() + b": "
        self.check(err.splitlines() == [
            prefix + b"grdData (MSFlexGridLib.MSFlexGrid) is written as a list view in report view (SysListView32, LVS_REPORT), "
                     b"the control it resembles",
            prefix + b"ctl\\ (Evil.Name\\) has no Windows control; written as a placeholder",
            prefix + b"linSlant (VB.Line) slants, and no Windows control draws that; written as a placeholder",
        ], f"{form}: warnings {err!r}")
        # A backslash ending a comment would join the next line to it and lose the placeholder's line.
        self.check(b"\r\n    // Evil.Name? ctl?: no Windows control, an etched frame in its place\r\n"
                   b'    CONTROL "", 105, "STATIC", SS_ETCHEDFRAME, 5, 90, 44, 12  // ctl?\r\n' in rc_text,
                   f"{form}: no placeholder for ctl\\ after its comment")
        dialog = compiled[0].get("FRMUNKNOWN", {"controls": []})
        got = {c[0]: c[1].upper() for c in dialog["controls"]}
        # Every control keeps its number, cmdInTab (inside the tabs) included, and the tabs come after what lies on them.
        self.check(got == {101: BUTTON, 102: "SYSLISTVIEW32", 103: BUTTON, 104: "SYSTABCONTROL32", 105: STATIC, 106: BUTTON,
                           107: STATIC}, f"{form}: compiled controls {dialog['controls']}")
        c = {o.name: o for o in read_form(form).walk()}
        self.controls_match(form, dialog, [
            (c["cmdFirst"], (BUTTON, "WS_VISIBLE", "")), (c["grdData"], ("SysListView32", "LVS_REPORT WS_BORDER", "")),
            (c["cmdInTab"], (BUTTON, "WS_VISIBLE", "")), (c["sstPages"], ("SysTabControl32", "WS_TABSTOP WS_CLIPSIBLINGS", "")),
            (c["ctl\\"], (STATIC, "SS_ETCHEDFRAME WS_VISIBLE", "WS_TABSTOP")), (c["cmdLast"], (BUTTON, "WS_VISIBLE", "")),
            (c["linSlant"], (STATIC, "SS_ETCHEDFRAME", "")),
        ], 101)

    def tabs(self, form):
        """An SSTab's pages: the current tab's controls shown, the others' moved back onto it and hidden."""
        status, err, rc_text, compiled = self.compile(form)
        if not self.check(status == 0 and compiled, f"{form}: exit {status}, {err!r}"):
            return
        prefix = b"tarvel-rc: warning: " + str(form).encode() + b": "
        self.check(err.splitlines() == [
            prefix + b"pnlInfo (Threed.SSPanel) has no Windows control; written as a placeholder, with what lies in it placed from it",
        ], f"{form}: warnings {err!r}")
        self.check('    // sstPages tabs: "Og\xf3lne", "Wyb\xf3r ? "" dalej", "Lista"\r\n'.replace('""', '"').encode("cp1250")
                   in rc_text, f"{form}: no comment with the tabs' captions")
        dialog = compiled[0].get("FRMTABS")
        if not self.check(dialog is not None, f"{form}: no FRMTABS dialog in {sorted(compiled[0])}"):
            return
        root = read_form(form)
        c = {o.name + o.props.get("Index", b"").decode(): o for o in root.walk()}
        expected = []
        # The tab control after its pages' controls: they lie above it, and it never paints over them.
        for name, cls, on in (("cmdOK", BUTTON, "BS_DEFPUSHBUTTON"), ("lblName", STATIC, ""), ("txtName", EDIT, "WS_BORDER"), ("fraOld", BUTTON, "BS_GROUPBOX"),
                              ("chkOld", BUTTON, "BS_AUTOCHECKBOX"), ("cmdApply", BUTTON, ""),
                              ("optSize0", BUTTON, "BS_AUTORADIOBUTTON WS_GROUP"), ("optSize1", BUTTON, "BS_AUTORADIOBUTTON"),
                              ("optSize2", BUTTON, "BS_AUTORADIOBUTTON"), ("lstItems", LISTBOX, ""),
                              ("sstPages", "SysTabControl32", "WS_TABSTOP WS_CLIPSIBLINGS"),
                              ("pnlInfo", STATIC, "SS_ETCHEDFRAME"), ("lblInPanel", STATIC, ""),
                              ("tbsView", "SysTabControl32", "")):
            shown = c[name].shown()
            expected.append((c[name], (cls, on + (" WS_VISIBLE" if shown else ""), "" if shown else "WS_VISIBLE")))
        self.check(sum(1 for control, _ in expected if not control.shown()) == 6, f"{form}: the test form hides six controls")
        self.controls_match(form, dialog, expected, 100)

    def look_alikes(self, form):
        """Each look-alike as the standard control it resembles, reading the properties they share, with a warning."""
        status, err, _, compiled = self.compile(form)
        if not self.check(status == 0 and compiled, f"{form}: exit {status}, {err!r}"):
            return
        prefix = f"tarvel-rc: warning: {form}: "
        warnings = err.decode("cp1250").splitlines()
        said = {w.removeprefix(prefix).split(" ")[0]: w.split(" is written as ", 1)[-1] for w in warnings}
        dialog = compiled[0].get("FRMLOOKALIKES")
        if not self.check(dialog is not None, f"{form}: no FRMLOOKALIKES dialog in {sorted(compiled[0])}"):
            return
        c = {o.name: o for o in read_form(form).walk()}
        # The controls in tab order (a group box's TabIndex after what lies in it), what each was written as.
        table = [
            ("mskDate", EDIT, "WS_BORDER ES_AUTOHSCROLL WS_TABSTOP", "a standard TextBox"),
            ("dcbCity", COMBOBOX, "CBS_DROPDOWNLIST WS_TABSTOP", "a standard ComboBox"),
            ("dlsNames", LISTBOX, "LBS_NOINTEGRALHEIGHT WS_TABSTOP", "a standard ListBox"),
            ("grdRows", "SysListView32", "LVS_REPORT WS_BORDER WS_TABSTOP", "a list view in report view (SysListView32, LVS_REPORT)"),
            ("cmdXtreme", BUTTON, "WS_TABSTOP", "a standard CommandButton"),
            ("txtFlat", EDIT, "WS_BORDER", "a standard TextBox"),
            ("lblXtreme", STATIC, "SS_RIGHT", "a standard Label"),
            ("chkUnicode", BUTTON, "BS_AUTOCHECKBOX", "a standard CheckBox"),
            ("optUnicode", BUTTON, "BS_AUTORADIOBUTTON WS_GROUP", "a standard OptionButton"),
            ("grpXtreme", BUTTON, "BS_GROUPBOX", "a standard Frame"),
            ("txtUnicode", EDIT, "ES_MULTILINE", "a standard TextBox"),
            ("cboUnicode", COMBOBOX, "CBS_DROPDOWNLIST", "a standard ComboBox"),
            ("lstUnicode", LISTBOX, "WS_BORDER", "a standard ListBox"),
            ("cmdDc", BUTTON, "WS_TABSTOP", "a standard CommandButton"),
            ("lblUnicode", STATIC, "", "a standard Label"),
            ("fra3D", BUTTON, "BS_GROUPBOX", "a standard Frame"),
            ("cmdClose", BUTTON, "WS_TABSTOP", None),
        ]
        self.controls_match(form, dialog, [(c[name], (cls, on + " WS_VISIBLE", "")) for name, cls, on, _ in table], 100)
        for name, _, _, written in table:
            self.check(said.get(name) == (written + ", the control it resembles" if written else None),
                       f"{form}: {name}'s warning says {said.get(name)!r}")
        self.check(len(warnings) == len(table) - 1, f"{form}: {len(warnings)} warnings")


# Components that show nothing on screen, by class, whatever their library.
NOT_SHOWN = {"timer", "commondialog", "imagelist", "vbalimagelist", "xpimagelist30", "winsock", "mscomm", "inet",
             "scriptcontrol", "popmenu", "ctxhookmenu", "csystray", "crystalreport"}


def shown_controls_reached(checker, form, rc_text, dialog):
    """(controls that show something, how many of them the compiled dialog holds under their name or number)."""
    root = read_form(form)
    shown = [o for o in root.walk() if o.kind.split(".")[-1].lower() not in NOT_SHOWN]
    defines = dict(re.findall(rb"#define (\w+) (\d+)\r\n", rc_text))
    numbers = {c[0] for c in dialog["controls"]}
    named = [o for o in shown if (o.name + ("_" + o.props["Index"].decode() if "Index" in o.props else "")).encode() in defines]
    by_name = sum(1 for o in named if int(defines[(o.name + ("_" + o.props["Index"].decode() if "Index" in o.props else "")).encode()]) in numbers)
    # The rest (names that cannot be #defined) are there by number: every other compiled control is one of them.
    reached = by_name + min(len(shown) - len(named), len(numbers) - by_name)
    checker.check(reached == len(shown), f"{form}: {reached} of {len(shown)} controls that show something reach the dialog")
    checker.check(len(numbers) == len(shown), f"{form}: {len(numbers)} controls compiled for {len(shown)} that show something")
    return len(shown), reached


def corpus(checker, folder):
    forms = sorted(p for p in folder.rglob("*") if p.suffix.lower() == ".frm")
    dialogs = 0
    shown = reached = whole = with_controls = 0
    for form in forms:
        status, err, rc_text, compiled = checker.compile(form)
        root = read_form(form)
        without = root is None or root.kind not in ("VB.Form", "Form")
        has_menu = any(b"Begin VB.Menu" in line for line in form.read_bytes().splitlines())
        if without and not has_menu:
            checker.check(status == 1, f"{form}: neither menu nor dialog, yet exit {status}")
            continue
        if not checker.check(status == 0 and compiled, f"{form}: exit {status} {err.decode(errors='replace')}"):
            continue
        dialogs += bool(compiled[0]) and not without
        checker.check(bool(compiled[0]) != without, f"{form}: dialogs {sorted(compiled[0])}")
        if without or not compiled[0]:
            continue
        form_shown, form_reached = shown_controls_reached(checker, form, rc_text, next(iter(compiled[0].values())))
        shown, reached = shown + form_shown, reached + form_reached
        with_controls += form_shown > 0
        whole += form_shown > 0 and form_reached == form_shown
    print(f"{len(forms)} real forms converted with --dialog and compiled, {dialogs} of them with a dialog")
    print(f"{reached} of {shown} controls that show something reach the dialog ({100 * reached / max(shown, 1):.1f} %); "
          f"{whole} of {with_controls} forms with such controls arrive whole")


def main(argv):
    if len(argv) != 5 or argv[1] not in ("forms", "corpus"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, tarvel_rc, windres, folder = argv[1], argv[2], argv[3], Path(argv[4])
    with tempfile.TemporaryDirectory(prefix="tarvel-dialog-") as work:
        checker = Checker(tarvel_rc, windres, work)
        if mode == "forms":
            checker.every_kind(folder / "dialog_every_kind.frm")
            checker.frames_and_groups(folder / "dialog_groups.frm")
            checker.unknown_controls(folder / "dialog_unknown.frm")
            checker.tabs(folder / "dialog_tabs.frm")
            checker.look_alikes(folder / "dialog_lookalikes.frm")
            print(f"{checker.count} dialogs compiled and read back")
        elif not (folder / "menu").is_dir():
            print(f"Skipped: no corpus of real forms at {folder}")
            return SKIPPED
        else:
            corpus(checker, folder)
        if checker.failures:
            print(f"{checker.failures} failure(s)", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
