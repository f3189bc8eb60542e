#!/usr/bin/env python3
"""Converts forms with tarvel-rc, compiles the RC text with two real resource
compilers (windres, through the C preprocessor, and Wine's wrc, from
TARVEL_WRC or the PATH), reads each compiled menu back (with windres) and
compares it with the menu the form itself describes.

The expected menu is read from the form here, independently of the converter:
the Begin/End blocks give the tree, and Caption, Enabled and Checked give
each item; items are numbered in the order they appear. Comparing the
compiled resource (not the RC text) means a wrong brace, a lost item or an
escape that RC reads differently shows up as a different menu.

  rc_roundtrip.py forms   TARVEL_RC WINDRES FORM...   every form must match, every caption compared
  rc_roundtrip.py corpus  TARVEL_RC WINDRES DIR       DIR/menu/** must match, DIR/nomenu/* give "no menu"
                                                     (or "not a form", for one whose form block was lost)

Exit status 0 when everything matched, 1 otherwise, 77 (skipped) when the
corpus folder is absent.
"""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

SKIPPED = 77
BLANKS = b" \t"
# Wine's resource compiler (Debian's wine64-tools).
WRC = os.environ.get("TARVEL_WRC", "wrc")


class MenuNode:
    def __init__(self, name):
        self.name = name
        self.caption = b""
        self.enabled = True
        self.checked = False
        self.index = None
        self.children = []


def starts_with_word(line, word):
    """The trimmed line begins with `word` (ASCII, any case), then a blank or its end."""
    head = line[: len(word)].lower()
    return head == word and (len(line) == len(word) or line[len(word)] in BLANKS)


def caption_bytes(value, form_dir):
    """The caption as the form's menu shows it: its own bytes, every one of
    which the compiled menu must hold again."""
    frx = re.fullmatch(rb'\$"([^"]*)":([0-9A-Fa-f]+)', value)
    if frx:
        data = (form_dir / os.fsdecode(frx.group(1))).read_bytes()
        offset = int(frx.group(2), 16)
        length = int.from_bytes(data[offset : offset + 4], "little")
        return data[offset + 4 : offset + 4 + length]
    if len(value) >= 2 and value.startswith(b'"') and value.endswith(b'"'):
        value = value[1:-1]
    # The form doubles a quote inside a caption; a lone one stands for itself.
    return re.sub(rb'""', b'"', value)


def read_form_menu(path):
    """The form's menu as a list of top-level MenuNodes."""
    lines = re.split(rb"\r\n|\r|\n", path.read_bytes())
    top = []
    stack = []  # MenuNode for a menu item, None for any other block
    started = False
    for raw in lines:
        if started and raw[:9].lower() == b"attribute":
            break
        line = raw.strip(BLANKS)
        if starts_with_word(line, b"begin vb.menu"):
            started = True
            if stack and stack[-1] is None:
                stack.append(None)  # a menu inside another control is not ours
                continue
            node = MenuNode(line[len(b"begin vb.menu") :].strip(BLANKS))
            (stack[-1].children if stack else top).append(node)
            stack.append(node)
        elif not started:
            continue
        elif starts_with_word(line, b"begin") or starts_with_word(line, b"beginproperty"):
            stack.append(None)
        elif starts_with_word(line, b"end") or starts_with_word(line, b"endproperty"):
            if stack:
                stack.pop()
        elif stack and stack[-1] is not None:
            node = stack[-1]
            name, _, value = line.partition(b"=")
            name, value = name.strip(BLANKS), value.strip(BLANKS)
            if name == b"Caption":
                node.caption = caption_bytes(value, path.parent)
            elif name == b"Enabled":
                node.enabled = value[:1] != b"0"
            elif name == b"Checked":
                node.checked = value[:1] != b"0"
            elif name == b"Index":
                node.index = value.split()[0] if value.split() else value
    return top


def decode_rc_caption(text):
    """The caption's bytes as code points, read as Windows-1252 like windres;
    None when it holds a byte that Windows-1252 leaves undefined (windres cuts
    the string there: the RC text is right, the compiled copy is not)."""
    try:
        return text.decode("cp1252")
    except UnicodeDecodeError:
        return None


def expected_menu(top, first_id):
    """The menu as entries (depth, kind, caption, id, flags): what the compiled
    resource must hold. A caption of None matches any caption; the number of
    such captions is returned beside."""
    entries = []
    unchecked = 0
    next_id = first_id

    def walk(nodes, depth):
        nonlocal next_id, unchecked
        # A menu whose every entry is an empty leaf keeps the first, so that it is not empty.
        placeholder = nodes[0] if all(not n.children and n.caption == b"" for n in nodes) else None
        for node in nodes:
            caption = decode_rc_caption(node.caption)
            if node.children:
                unchecked += caption is None
                entries.append((depth, "POPUP", caption, None, ""))
                walk(node.children, depth + 1)
                entries.append((depth, "END", "", None, ""))
            elif node.caption == b"-":
                entries.append((depth, "SEPARATOR", "", None, ""))
            elif node.caption == b"" and node is not placeholder:
                pass  # an empty leaf writes nothing and takes no number
            else:
                unchecked += caption is None
                flags = ("" if node.enabled else " GRAYED") + (" CHECKED" if node.checked else "")
                entries.append((depth, "MENUITEM", caption, next_id, flags))
                next_id += 1

    walk(top, 0)
    return entries, unchecked


def show(entry):
    if entry is None:
        return "(nothing)"
    depth, kind, caption, number, flags = entry
    text = "  " * depth + kind
    if kind in ("POPUP", "MENUITEM"):
        text += " " + ("(any caption)" if caption is None else repr(caption))
    if number is not None:
        text += f" {number}"
    return text + flags


def same(expected, compiled):
    if expected is None or compiled is None:
        return False
    if expected[2] is None:
        return expected[:2] + expected[3:] == compiled[:2] + compiled[3:]
    return expected == compiled


def parse_literal(text):
    """A string literal as windres prints it (optionally L-prefixed); returns
    the code points and the rest of the text."""
    i = 1 if text.startswith("L") else 0
    assert text[i] == '"', text
    i += 1
    out = []
    while True:
        c = text[i]
        if c == '"':
            if text[i + 1 : i + 2] == '"':
                out.append('"')
                i += 2
                continue
            return "".join(out), text[i + 1 :]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        e = text[i + 1]
        if e in "01234567":
            digits = re.match(r"[0-7]{1,3}", text[i + 1 :]).group(0)
            out.append(chr(int(digits, 8)))
            i += 1 + len(digits)
        elif e == "x":
            out.append(chr(int(text[i + 2 : i + 6], 16)))
            i += 6
        else:
            out.append({"\\": "\\", "t": "\t", "n": "\n", "r": "\r", "b": "\b", "a": "\a", '"': '"'}[e])
            i += 2


def compiled_menu(rc_text):
    """The "GLOWNE" menu that windres printed, as entries like expected_menu()'s;
    None when there is no such resource."""
    entries = []
    depth = 0
    in_menu = False
    for raw in rc_text.splitlines():
        t = raw.strip()
        if not in_menu:
            in_menu = re.match(r'^"GLOWNE" MENU\b', t) is not None
            continue
        if t == "BEGIN":
            depth += 1
        elif t == "END":
            depth -= 1
            if depth == 0:
                return entries
            entries.append((depth - 1, "END", "", None, ""))
        elif t == "MENUITEM SEPARATOR":
            entries.append((depth - 1, "SEPARATOR", "", None, ""))
        elif t.startswith("POPUP "):
            caption, _ = parse_literal(t[len("POPUP ") :])
            entries.append((depth - 1, "POPUP", caption, None, ""))
        elif t.startswith("MENUITEM "):
            caption, rest = parse_literal(t[len("MENUITEM ") :])
            parts = [p.strip() for p in rest.split(",") if p.strip()]
            flags = (" GRAYED" if "GRAYED" in parts[1:] else "") + (" CHECKED" if "CHECKED" in parts[1:] else "")
            entries.append((depth - 1, "MENUITEM", caption, int(parts[0]), flags))
        else:
            entries.append((depth - 1, "UNEXPECTED " + t, "", None, ""))
    return entries if in_menu else None


class Checker:
    def __init__(self, tarvel_rc, windres, work):
        self.tarvel_rc = tarvel_rc
        self.windres = windres
        self.work = Path(work)
        self.failures = 0
        self.count = 0

    def fail(self, form, what):
        self.failures += 1
        print(f"FAIL {form}: {what}", file=sys.stderr)

    def run(self, arguments):
        return subprocess.run(arguments, capture_output=True)

    def round_trip(self, form, use_defines, first_id_text, first_id, strict):
        """Converts, compiles and reads back one form; True when the menu matches."""
        self.count += 1
        stem = f"f{self.count:04d}"
        rc = self.work / f"{stem}.rc"
        res = self.work / f"{stem}.res"
        options = ["-n", first_id_text] + ([] if use_defines else ["--no-define"])
        label = f"{form} ({' '.join(options) or 'defaults'})"
        converted = self.run([self.tarvel_rc, *options, "-o", str(rc), str(form)])
        if converted.returncode != 0:
            self.fail(label, f"tarvel-rc exited {converted.returncode}: {converted.stderr.decode(errors='replace')}")
            return False
        compilers = {
            "windres": [self.windres, "--preprocessor=cpp", "-J", "rc", "-O", "res", "-i", str(rc), "-o", str(res)],
            "wrc": [WRC, "-o", str(res.with_suffix(".wrc.res")), str(rc)],
        }
        expected, unchecked = expected_menu(read_form_menu(Path(form)), first_id)
        if strict and unchecked:
            self.fail(label, f"{unchecked} caption(s) hold escapes this test cannot read")
            return False
        matched = True
        for compiler, command in compilers.items():
            compiled = self.run(command)
            if compiled.returncode != 0:
                self.fail(label, f"{compiler} refused the RC text ({rc}): {compiled.stderr.decode(errors='replace')}")
                matched = False
                continue
            # windres reads back what either compiler made.
            made = command[command.index("-o") + 1]
            back = self.run([self.windres, "-J", "res", "-O", "rc", "-i", made])
            if back.returncode != 0:
                self.fail(label, f"windres could not read back {made}: {back.stderr.decode(errors='replace')}")
                matched = False
                continue
            got = compiled_menu(back.stdout.decode("ascii", errors="replace"))
            if got is None:
                self.fail(label, f'no "GLOWNE" MENU resource in what {compiler} compiled')
                matched = False
                continue
            pairs = [
                (expected[i] if i < len(expected) else None, got[i] if i < len(got) else None)
                for i in range(max(len(expected), len(got)))
            ]
            differing = [f"  entry {i + 1}: form says {show(e)}, compiled {show(g)}"
                         for i, (e, g) in enumerate(pairs) if not same(e, g)]
            if differing:
                self.fail(label, f"the menu {compiler} compiled differs from the form ({rc}):\n" + "\n".join(differing[:10]))
                matched = False
            Path(made).unlink()
        if matched:
            rc.unlink()
        return matched

    def no_menu(self, form):
        out = self.work / "nomenu.rc"
        converted = self.run([self.tarvel_rc, "-o", str(out), str(form)])
        where = b"tarvel-rc: " + os.fsencode(str(form))
        message = where + b": no menu\n"
        if converted.returncode != 1:
            self.fail(form, f"expected exit 1 for a form without menu, got {converted.returncode}")
        elif converted.stderr != message and not (converted.stderr.startswith(where + b":")
                                                   and b": not a form: " in converted.stderr):
            self.fail(form, f"expected {message!r} on standard error, got {converted.stderr!r}")
        elif out.exists() or any(self.work.glob(".nomenu.rc*")):
            self.fail(form, "a form without menu wrote a file")


def main(argv):
    if len(argv) < 5 or argv[1] not in ("forms", "corpus"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, tarvel_rc, windres = argv[1], argv[2], argv[3]
    with tempfile.TemporaryDirectory(prefix="tarvel-roundtrip-") as work:
        checker = Checker(tarvel_rc, windres, work)
        if mode == "forms":
            for form in argv[4:]:
                for use_defines, text, number in ((True, "100", 100), (False, "100", 100), (False, "&H10", 16)):
                    checker.round_trip(form, use_defines, text, number, strict=True)
            print(f"{len(argv) - 4} forms, {checker.count} conversions compiled and read back")
        else:
            corpus = Path(argv[4])
            if not (corpus / "menu").is_dir():
                print(f"Skipped: no corpus of real forms at {corpus}")
                return SKIPPED
            menu_forms = sorted(p for p in (corpus / "menu").rglob("*") if p.suffix.lower() == ".frm")
            without = sorted(p for p in (corpus / "nomenu").rglob("*") if p.suffix.lower() == ".frm")
            for form in menu_forms:
                checker.round_trip(form, False, "100", 100, strict=False)
                checker.round_trip(form, True, "100", 100, strict=False)
            for form in without:
                checker.no_menu(form)
            print(
                f"{len(menu_forms)} forms with a menu compiled with and without #define, "
                f"{len(without)} forms without a menu checked"
            )
        if checker.failures:
            print(f"{checker.failures} failure(s)", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
