#!/usr/bin/env python3
"""The bytes tarvel-rc writes for every real form, kept as digests: a change
to the converter's insides must not change one byte of what it writes.

  corpus_bytes.py record TARVEL_RC CORPUS DATA   converts every form and writes DATA
  corpus_bytes.py check  TARVEL_RC CORPUS DATA   converts again and compares with DATA

Every form under CORPUS (menu/, nomenu/, pictures/, recursively) is converted
with each set of options in OPTION_SETS below, which together use every option
tarvel-rc has. For each conversion DATA keeps the exit status and the first 16
hex digits of the SHA-256 of the RC file, of the header and MASM file where
the options write them, and of the warnings printed (error messages are not
kept: their wording is the command line's business, the exit status says what
failed). The forms are named relative to CORPUS, so the warnings that name
them are the same wherever the corpus lies. The locale is fixed (LC_ALL=C), so
the system's code page is the same on every machine.

Two things are left out of the comparison on purpose, and nothing else:
- the "#pragma code_page(N)" line that "--code-page auto" writes first, and
  the warning it adds when the form's fonts name different character sets:
  which code page "auto" picks follows the form's own font charset, not only
  its captions and the locale;
- the first line of the header and of the MASM file: the comment that says
  what they hold (menu items, dialog controls).

Exit status 0 when every conversion matched, 1 otherwise, 77 (skipped) when
the corpus folder is absent.
"""

import hashlib
import os
import subprocess
import sys
import tempfile
from pathlib import Path

SKIPPED = 77

# name -> (options, writes a header and a MASM file). Each option at least once.
OPTION_SETS = {
    "default": ([], False),
    "no-define": (["--no-define", "-n", "1"], False),
    "first-id": (["--first-id", "&H7F00"], False),
    "dialog": (["--dialog"], False),
    "dialog-no-define": (["--dialog", "--no-define"], False),
    "shortcuts": (["--shortcuts"], False),
    "context-menus": (["--context-menus", "--no-define"], False),
    "gray-popups": (["--gray-popups", "--context-menus"], False),
    "code-page": (["--code-page", "1250", "--shortcuts"], False),
    "code-page-auto": (["--code-page", "auto", "--dialog"], False),
    "header": (["--header", "ids.h", "--masm", "ids.inc"], True),
    "all-header": (["--all", "--header", "ids.h", "--masm", "ids.inc"], True),
    "tidy": (["--tidy", "--all", "--shortcuts"], False),
    "prefix": (["--prefix", "IDM_", "--dialog", "--header", "ids.h", "--masm", "ids.inc"], True),
    "pictures": (["--pictures", "--header", "ids.h", "--masm", "ids.inc"], True),
}


def digest(data):
    return hashlib.sha256(data).hexdigest()[:16]


def without_first_line(data):
    end = data.find(b"\r\n")
    return data[end + 2 :] if end >= 0 else data


def forms_of(corpus):
    return sorted(p.relative_to(corpus).as_posix() for p in corpus.rglob("*")
                  if p.is_file() and p.suffix.lower() == ".frm")


def convert(tarvel_rc, corpus, form, options, with_files, work, env):
    """The record of one conversion: status, then a digest of each output."""
    for leftover in work.iterdir():
        leftover.unlink()  # the pictures' files too
    rc = work / "out.rc"
    arguments = [tarvel_rc, *options, "-o", str(rc), form]
    if with_files:
        arguments = [a if a not in ("ids.h", "ids.inc") else str(work / a) for a in arguments]
    done = subprocess.run(arguments, cwd=corpus, capture_output=True, env=env)
    auto = "auto" in options or "--all" in options
    warnings = b"".join(line for line in done.stderr.splitlines(keepends=True)
                        if b"warning:" in line and not (auto and b": its fonts name different character sets (" in line))
    record = [str(done.returncode)]
    text = rc.read_bytes() if rc.exists() else b""
    if auto and text.startswith(b"#pragma code_page("):
        text = without_first_line(text)
    record.append(digest(text))
    if with_files:
        for name in ("ids.h", "ids.inc"):
            path = work / name
            record.append(digest(without_first_line(path.read_bytes())) if path.exists() else "-")
    record.append(digest(warnings))
    return ":".join(record)


def run_all(tarvel_rc, corpus):
    env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_CTYPE", "LANG")}
    env["LC_ALL"] = "C"
    rows = {}
    with tempfile.TemporaryDirectory(prefix="tarvel-corpus-bytes-") as work:
        for form in forms_of(corpus):
            rows[form] = [convert(tarvel_rc, corpus, form, options, with_files, Path(work), env)
                          for options, with_files in OPTION_SETS.values()]
    return rows


def main(argv):
    if len(argv) != 5 or argv[1] not in ("record", "check"):
        print(__doc__, file=sys.stderr)
        return 2
    mode, tarvel_rc, corpus, data = argv[1], os.path.abspath(argv[2]), Path(argv[3]), Path(argv[4])
    if not (corpus / "menu").is_dir():
        print(f"Skipped: no corpus of real forms at {corpus}")
        return SKIPPED
    rows = run_all(tarvel_rc, corpus)
    names = list(OPTION_SETS)
    if mode == "record":
        with data.open("w", encoding="utf-8", newline="\n") as out:
            out.write("# Written by tests/cli/corpus_bytes.py record; see its opening comment.\n")
            out.write("form\t" + "\t".join(names) + "\n")
            for form, records in rows.items():
                out.write(form + "\t" + "\t".join(records) + "\n")
        print(f"{len(rows)} forms, {len(rows) * len(names)} conversions recorded in {data}")
        return 0

    expected = {}
    lines = [line for line in data.read_text(encoding="utf-8").splitlines() if not line.startswith("#")]
    if lines[0].split("\t")[1:] != names:
        print(f"FAIL {data} was recorded with other option sets: {lines[0]}", file=sys.stderr)
        return 1
    for line in lines[1:]:
        form, *records = line.split("\t")
        expected[form] = records
    failures = 0
    for form in sorted(set(expected) | set(rows)):
        if form not in rows or form not in expected:
            print(f"FAIL {form}: {'no longer in the corpus' if form in expected else 'not recorded'}", file=sys.stderr)
            failures += 1
            continue
        for name, old, new in zip(names, expected[form], rows[form]):
            if old != new:
                print(f"FAIL {form} [{name}: {' '.join(OPTION_SETS[name][0])}]: recorded {old}, now {new}",
                      file=sys.stderr)
                failures += 1
    print(f"{len(rows)} forms, {len(rows) * len(names)} conversions compared, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
