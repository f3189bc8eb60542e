"""The programs of tarvel-rc --program running under Wine, in the Wine of wine_test.py.

For our own test form and a sample of the corpus: the program is written with
the RC text and the header, compiled with -DTARVEL_TRACE and linked with its
resources (MinGW-w64), and started by program_driver.exe, which waits while
the screen is photographed, then sends WM_COMMAND for every menu item,
BM_CLICK to every shown button, new text to every edit field and a step to
the next tab of every tab control, and closes the window. The trace the
program writes must hold, in that order and each once, the handler of every
step that the form's code handles (Form_Load first, Form_QueryUnload and
Form_Unload last), and only handlers of the form's code. The program of our
form with pictures must give its graphical button its bitmap (BM_GETIMAGE)
and its window the form's icon, big and small, as the X window that Wine
makes for it shows (_NET_WM_ICON: every pixel the icon's colour). The program
of our form with pointers must show the label's own cursor over it and the
system's over a plain button (WM_SETCURSOR, then the cursor Windows shows),
put the tab picture in the tab control's image list (TCM_GETIMAGELIST), give
the graphical check box its bitmap, and paint the form's Picture in the top
left corner of its window (the screenshot's pixels there).
"""

import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "cli"))
from picture_form import FORM_PICTURE_COLOUR, ICON_COLOUR, write_picture_form, write_pointer_form  # noqa: E402
from program_test import copy_with_frx  # noqa: E402
from vb_form import read_form  # noqa: E402

CC = "x86_64-w64-mingw32-gcc"
WINDRES = "x86_64-w64-mingw32-windres"
OWN_FORM = HERE.parent / "cli" / "data" / "program_events.frm"
# Every step of the driver on our own form, as its trace must show them.
OWN_TRACE = [
    "Form_Load", "mnuOpen_Click", "mnuRecent_Click 0", "mnuRecent_Click 1", "mnuExit_Click", "Command1_Click",
    "Check1_Click", "Option1_Click 0", "Option1_Click 1", "message_Click", "Id113_Click", "cmdFirst_Click",
    "Text1_Change", "SSTab1_Click", "cmdSecond_Click", "Form_QueryUnload", "Form_Unload",
]
SAMPLE = 5  # real forms run, spread over the corpus


class Tools:
    """What every program's run needs: the running Wine, the Linux tarvel-rc, the built driver."""

    def __init__(self, wine, linux_rc, driver):
        self.wine, self.linux_rc, self.driver = wine, linux_rc, driver


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def sections(c_text, start):
    """{id: [(condition, function, arguments)]} of one message's switch in the dialog procedure."""
    cases, current = {}, None
    lines = c_text[c_text.index(start):].splitlines()
    for line in lines[1:]:
        if line.startswith("    case WM_") or line == "    }":
            break
        case = re.match(r"        case (\w+):$", line)
        if case:
            current = cases.setdefault(case.group(1), [])
            continue
        call = re.match(r"            (?:if \((?:HIWORD\(wParam\) == )?([^)]*)\) )?(\w+)\(([^;]*)\);$", line)
        if current is not None and call and not call.group(2).startswith("tarvel"):
            current.append((call.group(1), call.group(2), call.group(3)))
    return cases


def menu_ids(rc_text, header_text):
    """The numbers of the main menu's items, in its order, from the RC text."""
    numbers = {name: int(number) for name, number in re.findall(r"#define (\w+) (\d+)", header_text)}
    ids, inside = [], False
    for line in rc_text.splitlines():
        if re.match(r"^\w+ (MENU|ACCELERATORS|DIALOGEX)\b", line):
            inside = line.startswith("Glowne MENU")
            continue
        item = re.match(r'^\s*MENUITEM\s+"(?:[^"]|"")*",\s*(\w+)', line)
        if inside and item:
            ids.append(int(item.group(1)) if item.group(1).isdigit() else numbers[item.group(1)])
    return ids


def trace_line(function, arguments):
    index = [a.strip() for a in arguments.split(",") if a.strip().lstrip("-").isdigit()]
    return f"{function} {index[0]}" if index else function


def expected_trace(c_text, header_text, steps):
    """What the trace must hold after the driver's steps, from the program's own dispatch."""
    numbers = {name: int(number) for name, number in re.findall(r"#define (\w+) (\d+)", header_text)}
    undefined = set(re.findall(r"#undef (\w+)", c_text))

    def by_number(cases):
        return {(numbers[k] if k in numbers and k not in undefined else int(k)): v for k, v in cases.items()
                if k.isdigit() or (k in numbers and k not in undefined)}

    commands = by_number(sections(c_text, "    case WM_COMMAND:")) if "case WM_COMMAND:" in c_text else {}
    tabs = by_number(sections(c_text, "    case WM_NOTIFY: {")) if "case WM_NOTIFY: {" in c_text else {}
    expected = ["Form_Load"] if re.search(r"\n        Form_Load\(\);", c_text) else []
    codes = {"menu": None, "click": "BN_CLICKED", "text": "EN_CHANGE"}
    for step, number in steps:
        if step in codes:
            expected += [trace_line(f, a) for code, f, a in commands.get(number, []) if code == codes[step]]
        elif step == "tab":
            expected += [trace_line(f, a) for _, f, a in tabs.get(number, [])]
    closing = c_text[c_text.index("    case WM_CLOSE:"):c_text.index("    case WM_DESTROY:")]
    expected += [name for name in ("Form_QueryUnload", "Form_Unload") if name + "(" in closing]
    return expected


def handlers_in_code(form):
    """The Subs of the form's code, by lower-case name."""
    return {name.decode("latin-1").lower()
            for name in re.findall(rb"(?im)^[ \t]*(?:(?:private|public|friend|static)[ \t]+)*sub[ \t]+([\w\x80-\xff]+)",
                                   form.read_bytes())}


def run_program(tools, check, form, out, screenshot, look=None):
    """Writes, builds and drives the program of `form` into `out` (`look` is called while its window stands):
    the trace, what it should be and the driver's steps, or None when it could not run."""
    stem = out / form.stem
    done = subprocess.run([str(tools.linux_rc), "--all", "--header", f"{stem}.h", "--program", f"{stem}.c", "-o",
                           f"{stem}.rc", str(form)], capture_output=True)
    if not check(done.returncode == 0, f"program of {form.name}: tarvel-rc exit {done.returncode} {done.stderr.decode()}"):
        return None
    built = subprocess.run([WINDRES, f"{form.stem}.rc", "-O", "coff", "-o", "resources.o"], cwd=out, capture_output=True)
    if not check(built.returncode == 0, f"program of {form.name}: windres {built.stderr.decode()}"):
        return None
    linked = subprocess.run([CC, "-std=c99", "-Wall", "-Wextra", "-Werror", "-DTARVEL_TRACE", "-municode", "-mwindows",
                             f"{form.stem}.c", "resources.o", "-lcomctl32", "-o", "program.exe"], cwd=out,
                            capture_output=True)
    if not check(linked.returncode == 0, f"program of {form.name}: gcc {linked.stderr.decode()}"):
        return None
    header = (out / f"{form.stem}.h").read_text(encoding="latin-1")
    menu = menu_ids((out / f"{form.stem}.rc").read_text(encoding="latin-1"), header)
    trace = out / "trace.txt"
    env = dict(tools.wine.env, TARVEL_TRACE=windows_path(trace))
    driver = subprocess.Popen(["wine", str(tools.driver), windows_path(out / "program.exe"),
                               *map(str, menu)], cwd=out, env=env,
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        ready = driver.stdout.readline().strip()
        if check(ready == b"ready", f"program of {form.name}: driver said {ready!r}"):
            shot = subprocess.run(["import", "-window", "root", str(screenshot)], env=tools.wine.env, capture_output=True)
            check(shot.returncode == 0 and screenshot.stat().st_size > 0,
                  f"program of {form.name}: no screenshot {shot.stderr.decode()}")
            if look:
                look()
        said, errors = driver.communicate(b"go\n", timeout=120)
    except subprocess.TimeoutExpired:
        driver.kill()
        check(False, f"program of {form.name}: the driver did not finish")
        return None
    lines = said.decode().split()
    steps = [(lines[i], int(lines[i + 1])) for i in range(0, len(lines) - 1, 2)]
    if not check(steps and steps[-1] == ("exit", 0), f"program of {form.name}: {said.decode()} {errors.decode()}"):
        return None
    written = trace.read_text(encoding="latin-1").splitlines() if trace.exists() else []
    c_text = (out / f"{form.stem}.c").read_text(encoding="latin-1")
    return written, expected_trace(c_text, header, steps), steps


def check_own_form(tools, check, work):
    out = work / "own"
    out.mkdir()
    form = copy_with_frx(OWN_FORM, out)
    ran = run_program(tools, check, form, out, work / "program-own.png")
    if ran is None:
        return
    written, expected, _ = ran
    check(expected == OWN_TRACE, f"own program: the steps' handlers {expected}")
    # The enabled timer ticks while the screen is photographed; the disabled one never.
    check("Timer1_Timer" in written and "tmrOff_Timer" not in written, f"own program: timers {written}")
    shown = [line for line in written if line != "Timer1_Timer"]
    check(shown == OWN_TRACE, f"own program: trace {shown}")


def window_icons(env, caption):
    """{(width, height): set of ARGB pixels} of the icons of the X window named `caption`."""
    found = subprocess.run(["xdotool", "search", "--name", f"^{caption}$"], env=env, capture_output=True, text=True)
    icons = {}
    for window in found.stdout.split():
        shown = subprocess.run(["xprop", "-id", window, "-notype", "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON"], env=env,
                               capture_output=True, text=True).stdout
        numbers = [int(n) for n in re.findall(r"\d+", shown.partition("=")[2])]
        while len(numbers) >= 2 and len(numbers) >= 2 + numbers[0] * numbers[1]:
            width, height = numbers[:2]
            icons[(width, height)] = set(numbers[2:2 + width * height])
            numbers = numbers[2 + width * height:]
    return icons


def check_picture_form(tools, check, work):
    out = work / "pictures"
    out.mkdir()
    icons = {}
    ran = run_program(tools, check, write_picture_form(out), out, work / "program-pictures.png",
                      lambda: icons.update(window_icons(tools.wine.env, "Pictures")))
    if ran is None:
        return
    steps = ran[2]
    header = (out / "Pictures.h").read_text(encoding="latin-1")
    button = int(re.search(r"#define cmdGo (\d+)", header).group(1))
    red, green, blue = ICON_COLOUR
    colour = 0xFF000000 | red << 16 | green << 8 | blue
    check({(32, 32), (16, 16)} <= icons.keys() and all(pixels == {colour} for pixels in icons.values()),
          f"picture program: the window's icons { {size: sorted(map(hex, p))[:3] for size, p in icons.items()} }")
    check(("image", button) in steps and not any(step == "noimage" for step, _ in steps),
          f"picture program: the graphical button's image {steps}")


def screen_pixel(shot, x, y):
    """The (red, green, blue) of one pixel of a screenshot, read by ImageMagick."""
    said = subprocess.run(["convert", str(shot), "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"], capture_output=True,
                          text=True).stdout
    found = re.search(r"\((\d+),(\d+),(\d+)", said.splitlines()[-1] if said else "")
    return tuple(int(n) for n in found.groups()) if found else None


def check_pointer_form(tools, check, work):
    out = work / "pointers"
    out.mkdir()
    shot = work / "program-pointers.png"
    ran = run_program(tools, check, write_pointer_form(out), out, shot)
    if ran is None:
        return
    steps = ran[2]
    numbers = {name: int(number) for name, number in
               re.findall(r"#define (\w+) (\d+)", (out / "Pointers.h").read_text(encoding="latin-1"))}
    cursors = {steps[i][1]: steps[i + 1][1] for i in range(len(steps) - 1)
               if steps[i][0] == "cursor" and steps[i + 1][0] == "handle"}
    link, plain = cursors.get(numbers["lblLink"]), cursors.get(numbers["cmdPlain"])
    check(link and plain and link != plain, f"pointer program: the label's cursor {link}, the button's {plain}")
    check(("imagelist", numbers["SSTab1"]) in steps, f"pointer program: the tab control's image list {steps}")
    check(("image", numbers["chkBold"]) in steps, f"pointer program: the graphical check box's image {steps}")
    rc = (out / "Pointers.rc").read_text(encoding="latin-1")
    check("BS_AUTOCHECKBOX | BS_BITMAP | BS_PUSHLIKE" in rc, "pointer program: the check box is not push-like")
    place = dict(step for step in steps if step[0] in ("left", "top"))
    # The Picture is 40 x 30 pixels; no control lies there.
    seen = [screen_pixel(shot, place.get("left", 0) + x, place.get("top", 0) + y) for x, y in ((2, 2), (38, 28), (44, 2))]
    check(seen[0] == seen[1] == FORM_PICTURE_COLOUR and seen[2] != FORM_PICTURE_COLOUR,
          f"pointer program: the form's Picture shows {seen}")


def check_corpus(tools, check, work, corpus):
    eligible = []
    for form in sorted(p for p in corpus.rglob("*") if p.suffix.lower() == ".frm"):
        root = read_form(form)
        if root is None or root.kind not in ("VB.Form", "Form"):
            continue
        code = form.read_bytes()
        if re.search(rb"(?im)^[ \t]*(?:private[ \t]+|public[ \t]+)?sub[ \t]+\w+_click\(", code) and b"Begin VB.Menu" in code:
            eligible.append(form)
    sample = eligible[::max(1, len(eligible) // SAMPLE)][:SAMPLE]
    for index, form in enumerate(sample):
        out = work / f"corpus-{index}"
        out.mkdir()
        ran = run_program(tools, check, form, out, work / f"program-corpus-{index}.png")
        if ran is None:
            continue
        written, expected, steps = ran
        # A graphical button shows its picture: each resource the RC text names loads.
        check(not any(step == "noimage" for step, _ in steps), f"program of {form.name}: buttons without their image {steps}")
        allowed = {line.split()[0] for line in expected}
        shown = [line for line in written if line.split()[0] in allowed]
        check(shown == expected, f"program of {form.name}: trace {shown}, expected {expected}")
        # Nothing but the form's own handlers: a handler named from its number stands for a name not in ASCII.
        subs = handlers_in_code(form)
        strangers = [line for line in written if line.split()[0].lower() not in subs and not line.startswith("Id")]
        check(not strangers, f"program of {form.name}: handlers not in its code {strangers}")
        print(f"program of {form.name}: {len(expected)} handlers reached in order, {len(written)} trace lines",
              flush=True)


def check_programs(wine, linux_rc, build, work, corpus, check):
    """Every check above, in `wine` (the Wine of wine_test.py, with its display)."""
    started = time.monotonic()
    work = work / "programs"
    work.mkdir()
    driver = work / "program_driver.exe"
    subprocess.run([CC, "-std=c99", "-O2", "-municode", "-Wall", "-Wextra", "-Werror", str(HERE / "program_driver.c"),
                    "-o", str(driver)], check=True)
    tools = Tools(wine, linux_rc, driver)
    check_own_form(tools, check, work)
    check_picture_form(tools, check, work)
    check_pointer_form(tools, check, work)
    if corpus:
        check_corpus(tools, check, work, corpus)
    # The last screenshots stay in the build folder for a look.
    for shot in work.glob("program-*.png"):
        shutil.copy(shot, build / shot.name)
    print(f"programs under Wine: {time.monotonic() - started:.1f} s", flush=True)
