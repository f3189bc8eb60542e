#!/usr/bin/env python3
"""tarvel-rc.exe under Wine, against the Linux tarvel-rc built from the same sources.

  wine_test.py LINUX_TARVEL_RC WINDOWS_BUILD_DIR [CORPUS_DIR]

1. Every test form of the project and every form of the corpus (when present),
   with the RC file written beside the form and with --no-define to standard
   output: the same bytes and the same exit status as on Linux.
2. What only Windows has: a folder and a form named outside the ANSI code page,
   -o with such a name, several forms where some fail, output names that
   differ from the form's only in case, messages in a console (each with and
   without the manifest's UTF-8 code page); a target that is replaced,
   read-only or held open by another program; Ctrl+C while a file is written,
   and a file rewritten in place in a folder that takes no new files (as root:
   a tmpfs whose mount is made read-only around the one file).
3. The Windows zip: its files, and its tarvel-rc.exe runs; examples/win32-app
   built with tarvel_add_resources and its menus read back (win32_app_check.py).
4. tarvel.exe driven by keyboard and mouse (window_end_to_end.sh), and the
   dialogs of tarvel-rc --dialog as Wine lays them out (dialog_layout.py).

Wine is started once for the whole run (an Xvfb display first, then a
persistent wineserver in a prefix under WINDOWS_BUILD_DIR, made with
wineboot -i the first time) and stopped at the end; the window and dialog
checks run in the same Wine. Exit status 0 when everything passed, 1 otherwise.
"""

import os
import pty
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from input_check import test_inputs  # noqa: E402
from win32_app_check import check_win32_app  # noqa: E402
from program_check import check_programs  # noqa: E402
from pictures_check import check_pictures  # noqa: E402

SOURCE = Path(__file__).resolve().parents[2]
HELPER_SOURCE = Path(__file__).resolve().parent / "file_holder.cpp"
CROSS_COMPILER = "x86_64-w64-mingw32-g++-posix"
OBJCOPY = "x86_64-w64-mingw32-objcopy"
FAILURES = []


def check(condition, what):
    if not condition:
        FAILURES.append(what)
        print(f"FAIL: {what}", flush=True)
    return condition


class Wine:
    """One Wine prefix and one wineserver for every program this run starts."""

    def __init__(self, prefix, helper):
        self.env = dict(os.environ)
        self.env.update(
            WINEPREFIX=str(prefix),
            WINEDEBUG="-all",
            WINEARCH="win64",
            # No Mono or Gecko installers.
            WINEDLLOVERRIDES="mscoree,mshtml=",
            # Arguments, Unix file names and console text as UTF-8.
            LC_ALL="C.UTF-8",
        )
        self.env.pop("WAYLAND_DISPLAY", None)
        self.prefix = prefix
        self.helper = helper
        self.keeper = None
        self.xvfb = None
        self.silent_retries = 0

    def __enter__(self):
        started = time.monotonic()
        self.prefix.mkdir(parents=True, exist_ok=True)
        # The display before Wine's first start: a prefix started without one shows no windows later.
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                                     pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            self.env["DISPLAY"] = ":" + display.readline().strip()
        # The server first, kept alive until the end: every program after it starts in a moment.
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # The registry is written when the server ends, so it marks a finished prefix.
        # Then the prefix's own services, which outlive the program that starts them: started
        # here they hold no test's output pipes open. A new prefix is made first.
        first = not (self.prefix / "system.reg").exists()
        subprocess.run(["wineboot", "-i" if first else "-r"], env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # One program runs from here to the end, so that Wine does not stop the prefix's services
        # each time the last program ends: a test program once started while they stopped and
        # ended at once with exit status 1 and no output.
        self.keeper = subprocess.Popen(["wine", str(self.helper), "wait"], env=self.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        if self.keeper.stdout.readline().strip() != b"held":
            raise RuntimeError("Wine did not start file_holder.exe")
        print(f"Wine ready in {time.monotonic() - started:.1f} s", flush=True)
        return self

    def __exit__(self, *exception):
        if self.keeper:
            self.keeper.stdin.close()
            self.keeper.wait()
        subprocess.run(["wineserver", "-k"], env=self.env)
        subprocess.run(["wineserver", "-w"], env=self.env)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    def run(self, program, arguments, cwd):
        # A program that hangs fails the run instead of holding up CI.
        done = subprocess.run(["wine", str(program), *arguments], cwd=cwd, env=self.env,
                              capture_output=True, timeout=120)
        if done.returncode != 0 and not done.stdout and not done.stderr:
            # Now and then Wine ends a program before it starts, with status 1 and
            # not a word (tarvel-rc never fails silently): such a run is tried again once.
            self.silent_retries += 1
            done = subprocess.run(["wine", str(program), *arguments], cwd=cwd, env=self.env,
                                  capture_output=True, timeout=120)
        return done

    def start(self, program, arguments, cwd):
        return subprocess.Popen(["wine", str(program), *arguments], cwd=cwd, env=self.env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE)


def run_linux(program, arguments, cwd):
    return subprocess.run([str(program), *arguments], cwd=cwd, capture_output=True)


def content(path):
    """The file's bytes, or None when there is no such file."""
    return path.read_bytes() if path.is_file() else None


def files_in(folder):
    """Every file under `folder`, relative, with its bytes."""
    return {p.relative_to(folder).as_posix(): p.read_bytes() for p in sorted(folder.rglob("*")) if p.is_file()}


def test_forms(wine, linux_rc, windows_rc, work, corpus):
    """The Windows program gives the Linux program's bytes and exit status for every form."""
    own_forms = [SOURCE / "examples/Form1.frm", SOURCE / "tests/packaging/two_popups.frm",
                 *sorted((SOURCE / "tests/cli/data").glob("*.frm"))]
    sides = {}
    for side in ("linux", "windows"):
        root = work / "forms" / side
        for form in own_forms:
            target = root / "project" / form.relative_to(SOURCE)
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(form, target)
        if corpus:
            shutil.copytree(corpus, root / "corpus", ignore=shutil.ignore_patterns("*.md", "*.tsv"))
        sides[side] = root
    forms = sorted(p.relative_to(sides["linux"]).as_posix() for p in sides["linux"].rglob("*")
                   if p.suffix.lower() == ".frm")

    started = time.monotonic()
    runs = 0
    # Each form on its own to standard output: its own bytes and exit status.
    for form in forms:
        arguments = ["--no-define", "-o", "-", form]
        linux = run_linux(linux_rc, arguments, sides["linux"])
        windows = wine.run(windows_rc, arguments, sides["windows"])
        runs += 1
        check(windows.returncode == linux.returncode,
              f"{form}: exit status {windows.returncode} under Wine, {linux.returncode} on Linux "
              f"({windows.stderr!r})")
        check(windows.stdout == linux.stdout, f"{form}: standard output differs from Linux")
        check(windows.stderr == linux.stderr, f"{form}: messages {windows.stderr!r} under Wine, "
                                               f"{linux.stderr!r} on Linux")
    # Then with #define, the RC files beside the forms, many forms a run (well within the
    # 32,767 characters of a Windows command line): the same messages and exit status.
    for first in range(0, len(forms), 40):
        arguments = forms[first:first + 40]
        linux = run_linux(linux_rc, arguments, sides["linux"])
        windows = wine.run(windows_rc, arguments, sides["windows"])
        runs += 1
        check((windows.returncode, windows.stderr) == (linux.returncode, linux.stderr),
              f"forms {first + 1} to {first + len(arguments)}: exit status {windows.returncode}, messages "
              f"{windows.stderr!r} and output {windows.stdout[:200]!r} under Wine, {linux.returncode} and "
              f"{linux.stderr!r} on Linux")
    # The RC files written beside the forms, all at once: the same files with the same bytes.
    linux_files, windows_files = files_in(sides["linux"]), files_in(sides["windows"])
    check(sorted(windows_files) == sorted(linux_files),
          f"files differ: {sorted(set(windows_files) ^ set(linux_files))}")
    differing = [name for name in linux_files if windows_files.get(name) != linux_files[name]]
    check(not differing, f"RC files differ from Linux: {differing}")
    written = sum(1 for name in linux_files if name.endswith(".rc"))
    check(written > 0, "no RC file was written at all")
    print(f"{len(forms)} forms, {runs} runs each side, {written} RC files: "
          f"{time.monotonic() - started:.1f} s", flush=True)


def expected_texts(linux_rc, work):
    """The Linux RC text of the form the cases use, with and without #define."""
    form = SOURCE / "tests/cli/data/captions.frm"
    work.mkdir(parents=True, exist_ok=True)
    define = run_linux(linux_rc, ["-o", "-", str(form)], work).stdout
    no_define = run_linux(linux_rc, ["--no-define", "-o", "-", str(form)], work).stdout
    check(len(define) > 100, "the Linux tarvel-rc gives no RC text for captions.frm")
    return form, define, no_define


def test_names(wine, linux_rc, program, work, corpus):
    """Names outside the ANSI code page, as arguments, files, folders and messages."""
    form, expected_define, expected_no_define = expected_texts(linux_rc, work)

    # A folder and a form with letters no single ANSI code page holds together.
    case = work / "names"
    (case / "Zażółć").mkdir(parents=True)
    shutil.copyfile(form, case / "Zażółć/Menü.frm")
    result = wine.run(program, ["Zażółć/Menü.frm"], case)
    check(result.returncode == 0, f"Zażółć/Menü.frm: exit status {result.returncode}: {result.stderr!r}")
    check(content(case / "Zażółć/Menü.rc") == expected_define, "Zażółć/Menü.rc is not the Linux RC text")
    result = wine.run(program, ["--no-define", "-o", "-", "Zażółć/Menü.frm"], case)
    check(result.returncode == 0 and result.stdout == expected_no_define,
          "Zażółć/Menü.frm to standard output is not the Linux RC text")

    # -o with such a name: that very name, no other.
    result = wine.run(program, ["-o", "Wynik-ż.rc", "Zażółć/Menü.frm"], case)
    check(result.returncode == 0, f"-o Wynik-ż.rc: exit status {result.returncode}: {result.stderr!r}")
    check(sorted(files_in(case)) == ["Wynik-ż.rc", "Zażółć/Menü.frm", "Zażółć/Menü.rc"],
          f"-o Wynik-ż.rc: files are {sorted(files_in(case))}")
    check(content(case / "Wynik-ż.rc") == expected_define, "Wynik-ż.rc is not the RC text")

    # Captions from an .frx beside a form in such a folder.
    if corpus:
        shutil.copytree(corpus / "menu/lavolpe-submenus", case / "Zażółć/Łódź")
        linux_copy = work / "frx-linux"
        shutil.copytree(corpus / "menu/lavolpe-submenus", linux_copy)
        for name in ("Form1", "Form2", "MDIForm1"):
            result = wine.run(program, [f"Zażółć/Łódź/{name}.frm"], case)
            linux = run_linux(linux_rc, [f"{name}.frm"], linux_copy)
            check(result.returncode == linux.returncode == 0,
                  f"Zażółć/Łódź/{name}.frm: exit status {result.returncode}: {result.stderr!r}")
            written = content(case / f"Zażółć/Łódź/{name}.rc")
            check(written is not None and written == content(linux_copy / f"{name}.rc"),
                  f"Zażółć/Łódź/{name}.rc: not the Linux bytes")

    # Several forms where some fail: every good form is still converted, the highest status wins.
    for side in ("linux", "windows"):
        folder = work / f"several-{side}"
        (folder / "Zażółć").mkdir(parents=True)
        shutil.copyfile(form, folder / "first.frm")
        shutil.copyfile(SOURCE / "tests/cli/data/deep.frm", folder / "Zażółć/Menü.frm")
        (folder / "nomenu.frm").write_bytes(b"VERSION 5.00\r\nBegin VB.Form Form1\r\nEnd\r\n")
    arguments = ["first.frm", "brak-ż.frm", "nomenu.frm", "Zażółć/Menü.frm"]
    result = wine.run(program, arguments, work / "several-windows")
    linux = run_linux(linux_rc, arguments, work / "several-linux")
    check(result.returncode == linux.returncode == 3,
          f"several forms: exit status {result.returncode} under Wine, {linux.returncode} on Linux")
    windows_files = files_in(work / "several-windows")
    check(windows_files == files_in(work / "several-linux") and "Zażółć/Menü.rc" in windows_files,
          f"several forms: the files {sorted(windows_files)} differ from Linux")
    # The warning for the form's caption-less item is Linux's too.
    warnings = [m for m in result.stderr.decode("utf-8", "replace").splitlines() if m.startswith("tarvel-rc: warning: ")]
    check(warnings == [m for m in linux.stderr.decode("utf-8", "replace").splitlines() if m.startswith("tarvel-rc: warning: ")],
          f"several forms: warnings {warnings} differ from Linux")
    messages = [m for m in result.stderr.decode("utf-8", "replace").splitlines() if m not in warnings]
    check(len(messages) == 2 and messages[0].startswith("tarvel-rc: brak-ż.frm: cannot read the form: ")
          and messages[1] == "tarvel-rc: nomenu.frm: no menu", f"several forms: messages {messages}")

    # Names compare without case on Windows: these are the form itself, a usage error.
    case = work / "case"
    (case / "Zażółć").mkdir(parents=True)
    shutil.copyfile(form, case / "Zażółć/Menü.frm")
    for output in ("ZAŻÓŁĆ/MENÜ.FRM", "zażółć/menü.frm"):
        result = wine.run(program, ["-o", output, "Zażółć/Menü.frm"], case)
        check(result.returncode == 2 and result.stderr.startswith(
                  f"tarvel-rc: '{output}' is a form given to convert; no output may overwrite it\n".encode()),
              f"-o {output}: exit status {result.returncode}: {result.stderr!r}")
    check(files_in(case) == {"Zażółć/Menü.frm": form.read_bytes()}, "-o in other case: the form was touched")

    # In a console the message shows the name as typed (through WriteConsoleW): UTF-8 bytes
    # written to a console as they are would show in its OEM code page instead.
    controller, terminal = pty.openpty()
    try:
        result = subprocess.run(["wine", str(program), "brak-żółć.frm"], cwd=case, env=wine.env,
                                stdin=terminal, stdout=subprocess.DEVNULL, stderr=terminal, timeout=120)
    finally:
        os.close(terminal)
    shown = b""
    try:
        while chunk := os.read(controller, 4096):
            shown += chunk
    except OSError:
        pass  # the terminal's other end is closed
    os.close(controller)
    check(result.returncode == 3 and "brak-żółć.frm: cannot read the form: ".encode() in shown,
          f"console message: {shown!r}")


def expect_refused(wine, program, folder, target_name, old, what):
    """tarvel-rc.exe must fail on `target_name`, say why, and leave it and the folder as they were."""
    before = files_in(folder)
    result = wine.run(program, ["Form1.frm"], folder)
    # The form's own warnings (a caption-less item left out) come first.
    message = "".join(line for line in result.stderr.decode("utf-8", "replace").splitlines(keepends=True)
                      if not line.startswith("tarvel-rc: warning: "))
    check(result.returncode == 3, f"{what}: exit status {result.returncode}, not 3")
    prefix = f"tarvel-rc: {target_name}: cannot write the output file: "
    check(message.startswith(prefix) and len(message.strip()) > len(prefix.strip()),
          f"{what}: message {message!r} does not name the file and the system's reason")
    check(content(folder / target_name) == old, f"{what}: the old file was changed")
    check(files_in(folder) == before, f"{what}: files left behind: {sorted(set(files_in(folder)) - set(before))}")
    return message


def test_targets(wine, linux_rc, program, helper, work):
    """A target that is replaced, read-only or held open by another program."""
    form, expected_define, _ = expected_texts(linux_rc, work)

    # An existing RC file is replaced, and nothing else is left in the folder.
    case = work / "replace"
    case.mkdir(parents=True)
    shutil.copyfile(form, case / "Form1.frm")
    (case / "Form1.rc").write_bytes(b"old text, longer than nothing\r\n" * 100)
    result = wine.run(program, ["Form1.frm"], case)
    check(result.returncode == 0, f"replacing Form1.rc: exit status {result.returncode}: {result.stderr!r}")
    check(files_in(case) == {"Form1.frm": form.read_bytes(), "Form1.rc": expected_define},
          f"replacing Form1.rc: files are {sorted(files_in(case))} or the text is wrong")

    # A device takes the text and stays a device: -o NUL, in any case and with an extension.
    for device in ("NUL", "nul.rc"):
        result = wine.run(program, ["-o", device, "Form1.frm"], case)
        check(result.returncode == 0, f"-o {device}: exit status {result.returncode}: {result.stderr!r}")
    check(sorted(files_in(case)) == ["Form1.frm", "Form1.rc"], f"-o NUL left {sorted(files_in(case))}")

    # A read-only target stays as it was.
    case = work / "read-only"
    case.mkdir(parents=True)
    shutil.copyfile(form, case / "Form1.frm")
    (case / "Form1.rc").write_bytes(b"old\r\n")
    made = wine.run(helper, ["readonly", "Form1.rc"], case)
    if check(made.returncode == 0, f"file_holder readonly: {made.stderr!r}"):
        message = expect_refused(wine, program, case, "Form1.rc", b"old\r\n", "read-only Form1.rc")
        print(f"read-only target: {message.strip()}")

    # A target another program holds open without delete sharing stays as it was.
    case = work / "held"
    case.mkdir(parents=True)
    shutil.copyfile(form, case / "Form1.frm")
    (case / "Form1.rc").write_bytes(b"old\r\n")
    holder = wine.start(helper, ["hold", "Form1.rc"], case)
    try:
        if check(holder.stdout.readline().strip() == b"held", "file_holder could not hold Form1.rc"):
            message = expect_refused(wine, program, case, "Form1.rc", b"old\r\n", "Form1.rc held open")
            print(f"target held open: {message.strip()}")
    finally:
        holder.stdin.close()
        holder.wait()
    # Once let go, the same target is replaced.
    result = wine.run(program, ["Form1.frm"], case)
    check(result.returncode == 0 and content(case / "Form1.rc") == expected_define,
          f"Form1.rc let go: exit status {result.returncode}: {result.stderr!r}")

    # The same answers as on Linux for help, version and usage errors.
    for arguments in (["--help"], ["--version"], [], ["--bogus"], ["-o", "a.rc", "x.frm", "y.frm"]):
        result = wine.run(program, arguments, case)
        linux = run_linux(linux_rc, arguments, case)
        check((result.returncode, result.stdout, result.stderr) == (linux.returncode, linux.stdout, linux.stderr),
              f"tarvel-rc {' '.join(arguments)}: differs from Linux: {result.stdout!r} {result.stderr!r}")


def large_form(items):
    """A form whose one menu has `items` items, some 230 bytes of RC text each."""
    padding = "." * 170
    lines = ["VERSION 5.00", "Begin VB.Form Form1", "   Begin VB.Menu mnuFile", '      Caption = "&File"']
    for i in range(items):
        lines += [f"      Begin VB.Menu mnuItemNumber{i}", f'         Caption = "A rather long caption, item {i}{padding}"',
                  "      End"]
    lines += ["   End", "End", ""]
    return "\r\n".join(lines).encode()


def test_interrupt_and_in_place(wine, linux_rc, program, work):
    """Ctrl+C while a file is written, and a file rewritten in place: the Windows code's own ways."""
    form, expected_define, _ = expected_texts(linux_rc, work)
    case = work / "interrupt"
    case.mkdir(parents=True)
    (case / "Large.frm").write_bytes(large_form(52000))  # some 12 MB of RC text
    old = b"the previous text\r\n"
    complete = run_linux(linux_rc, ["-o", "-", "Large.frm"], case).stdout
    # Wine turns SIGINT into the console's CTRL_C_EVENT. A Ctrl+C ends the program with
    # STATUS_CONTROL_C_EXIT (its low byte, 0x3A, on Linux) and takes its temporary file with it.
    interrupted = 0
    for _ in range(3):
        (case / "Form1.rc").write_bytes(old)
        running = subprocess.Popen(["wine", str(program), "-o", "Form1.rc", "Large.frm"], cwd=case, env=wine.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 60
        while running.poll() is None and time.monotonic() < deadline:
            if any(case.glob(".tarvel-*.tmp")):
                running.send_signal(signal.SIGINT)
                break
            time.sleep(0.0005)
        message = running.communicate(timeout=120)[1]
        interrupted += running.returncode == 0x3A
        check(running.returncode in (0, 0x3A), f"Ctrl+C: exit status {running.returncode}: {message!r}")
        check(content(case / "Form1.rc") in (old, complete), "Ctrl+C: Form1.rc is neither the old text nor the new")
        check(sorted(files_in(case)) == ["Form1.rc", "Large.frm"], f"Ctrl+C left {sorted(files_in(case))}")
    check(interrupted > 0, "Ctrl+C: no conversion was interrupted before it ended")
    print(f"Ctrl+C: {interrupted} of 3 conversions interrupted while writing", flush=True)

    if os.geteuid() != 0:
        print("in place: skipped, a folder that takes no new files is made with mount, as root", flush=True)
        return
    case = work / "in-place"
    locked = case / "locked"
    locked.mkdir(parents=True)
    shutil.copyfile(form, case / "Form1.frm")
    (case / "Large.frm").write_bytes(large_form(1000))  # 230 KB of RC text for a disk of 64 KB
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tarvel-locked", str(locked)], check=True)
    target = locked / "Form1.rc"
    try:
        target.write_bytes(old)
        subprocess.run(["mount", "--bind", str(target), str(target)], check=True)
        subprocess.run(["mount", "-o", "remount,bind,ro", str(locked)], check=True)
        # Every other file is written, and the room found, before the old text is touched.
        for arguments, failing in ((["--header", "missing/m.h", "-o", "locked/Form1.rc", "Form1.frm"], "missing/m.h"),
                                   (["-o", "locked/Form1.rc", "Large.frm"], "locked/Form1.rc")):
            result = wine.run(program, arguments, case)
            message = result.stderr.decode("utf-8", "replace")
            check(result.returncode == 3 and message.startswith(f"tarvel-rc: {failing}: cannot write the output file: "),
                  f"in place, {' '.join(arguments)}: exit status {result.returncode}: {message!r}")
            check(content(target) == old, f"in place, {' '.join(arguments)}: the old text was touched")
        result = wine.run(program, ["-o", "locked/Form1.rc", "Form1.frm"], case)
        check(result.returncode == 0, f"in place: exit status {result.returncode}: {result.stderr!r}")
        check(files_in(locked) == {"Form1.rc": expected_define}, f"in place: {sorted(files_in(locked))} or the text")
        print("in place: the old text kept until the new one can be written whole", flush=True)
    finally:
        subprocess.run(["umount", str(target)])
        subprocess.run(["umount", str(locked)])


def test_zip(wine, build, work):
    """The zip holds the guide and every program the build made, and its tarvel-rc.exe runs."""
    header = (build / "generated/tarvel_version.h").read_text()
    version = re.search(r'#define TARVEL_VERSION "([^"]+)"', header).group(1)
    archive = build / f"tarvel-{version}-win64.zip"
    if not check(archive.is_file(), f"{archive} was not made"):
        return
    top = f"tarvel-{version}-win64/"
    programs = [name for name in ("tarvel.exe", "tarvel-rc.exe") if (build / "bin" / name).is_file()]
    check("tarvel-rc.exe" in programs, "the build made no tarvel-rc.exe")
    with zipfile.ZipFile(archive) as opened:
        names = sorted(n for n in opened.namelist() if not n.endswith("/"))
        check(names == sorted(top + n for n in programs + ["README.TXT"]), f"the zip holds {names}")
        guide = opened.read(top + "README.TXT")
        source_guide = (SOURCE / "packaging/README.TXT").read_bytes()
        check(guide == source_guide.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"),
              "the zip's README.TXT is not the guide with CR LF line ends")
        unpacked = work / "zip"
        opened.extractall(unpacked)
    result = wine.run(unpacked / top / "tarvel-rc.exe", ["--version"], work)
    check(result.returncode == 0 and result.stdout == f"tarvel-rc {version}\n".encode(),
          f"tarvel-rc.exe from the zip: {result.returncode} {result.stdout!r} {result.stderr!r}")


def test_window_and_dialogs(wine, linux_rc, build):
    """The window and the dialogs, in this run's Wine and display."""
    here = Path(__file__).resolve().parent
    for name, command in (
        ("tarvel.exe end to end", [str(here / "window_end_to_end.sh"), str(build / "bin/tarvel.exe"), str(linux_rc),
                                   str(build / "window-test")]),
        ("dialog layout", [sys.executable, str(here / "dialog_layout.py"), str(linux_rc), str(build / "dialog-test")]),
    ):
        started = time.monotonic()
        done = subprocess.run(command, env=wine.env, timeout=900)
        check(done.returncode == 0, f"{name}: exit status {done.returncode}")
        print(f"{name}: {time.monotonic() - started:.1f} s", flush=True)


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    linux_rc = Path(sys.argv[1]).resolve()
    build = Path(sys.argv[2]).resolve()
    corpus = Path(sys.argv[3]).resolve() if len(sys.argv) == 4 else None
    if corpus and not corpus.is_dir():
        print(f"no real forms at {corpus}: the project's own forms only", flush=True)
        corpus = None
    windows_rc = build / "bin/tarvel-rc.exe"

    started = time.monotonic()
    work = Path(tempfile.mkdtemp(prefix="wine-tests-", dir=build))
    helper = work / "file_holder.exe"
    plain_rc = work / "tarvel-rc-without-manifest.exe"
    subprocess.run([OBJCOPY, "--remove-section=.rsrc", str(windows_rc), str(plain_rc)], check=True)
    subprocess.run([CROSS_COMPILER, "-std=c++20", "-O2", "-static", "-municode", "-Wall", "-Wextra", "-Werror",
                    str(HELPER_SOURCE), "-o", str(helper)], check=True)
    try:
        with Wine(build / "wine-prefix", helper) as wine:
            test_forms(wine, linux_rc, windows_rc, work, corpus)
            test_names(wine, linux_rc, windows_rc, work / "names", corpus)
            # Windows before 10 1903 ignores the manifest's UTF-8 code page: the same names
            # must work there too, as with a copy of the program that has no manifest.
            test_names(wine, linux_rc, plain_rc, work / "names-without-manifest", corpus)
            test_targets(wine, linux_rc, windows_rc, helper, work / "targets")
            test_inputs(wine, windows_rc, work / "inputs", check)
            test_interrupt_and_in_place(wine, linux_rc, windows_rc, work / "saving")
            test_zip(wine, build, work)
            check_win32_app(wine, check, linux_rc, build, corpus)
            check_pictures(wine, linux_rc, work / "pictures", check)
            test_window_and_dialogs(wine, linux_rc, build)
            check_programs(wine, linux_rc, build, work, corpus, check)
            if wine.silent_retries:
                print(f"{wine.silent_retries} run(s) that Wine ended silently were tried again", flush=True)
    finally:
        # Read-only files must be writable again to be removed.
        for path in work.rglob("*"):
            path.chmod(0o755 if path.is_dir() else 0o644)
        shutil.rmtree(work, ignore_errors=True)
    print(f"Wine tests: {time.monotonic() - started:.1f} s, "
          f"{'all passed' if not FAILURES else f'{len(FAILURES)} failed'}", flush=True)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
