#!/usr/bin/env python3
"""Every form of the corpus, converted with `tarvel-rc --all --header ids.h`,
drops into a real C and C++ build: a C file and a C++ file include
<windows.h>, every header of the C library (and, in C++, of the C++ library),
then ids.h, use every id it defines and call exit(), malloc(), printf() and
new after it (what the header's names keep clear of: the words of C and C++,
the C library's names and <windows.h>'s macros), and compile with MinGW-w64's gcc and g++ without
a warning (-Wall -Wextra -Werror). The C file is built with UNICODE and the
C++ file without, so both sets of <windows.h> macros are met. The headers
before ids.h are precompiled once, and one file takes many forms' headers in
turn, each included after the libraries, its ids used, then undefined again;
a file that fails is compiled again one form at a time, to name the form.

  corpus_headers.py TARVEL_RC CC CXX CORPUS_DIR

Exit status 0 when every form's header compiled, 1 otherwise, 77 (skipped)
when the corpus folder is absent.
"""

import re
import subprocess
import sys
import tempfile
from pathlib import Path

SKIPPED = 77
C_HEADERS = ["assert", "complex", "ctype", "errno", "fenv", "float", "inttypes", "iso646", "limits", "locale",
             "math", "setjmp", "signal", "stdalign", "stdarg", "stdatomic", "stdbool", "stddef", "stdint", "stdio",
             "stdlib", "stdnoreturn", "string", "tgmath", "time", "uchar", "wchar", "wctype"]
CXX_HEADERS = ["algorithm", "any", "array", "atomic", "bit", "bitset", "cassert", "cctype", "cerrno", "cfenv",
               "cfloat", "charconv", "chrono", "cinttypes", "climits", "clocale", "cmath", "codecvt", "compare",
               "complex", "concepts", "condition_variable", "coroutine", "csetjmp", "csignal", "cstdarg", "cstddef",
               "cstdint", "cstdio", "cstdlib", "cstring", "ctime", "cuchar", "cwchar", "cwctype", "deque",
               "exception", "execution", "filesystem", "forward_list", "fstream", "functional", "future",
               "initializer_list", "iomanip", "ios", "iosfwd", "iostream", "istream", "iterator", "limits", "list",
               "locale", "map", "memory", "memory_resource", "mutex", "new", "numbers", "numeric", "optional",
               "ostream", "queue", "random", "ranges", "ratio", "regex", "scoped_allocator", "set", "shared_mutex",
               "source_location", "span", "sstream", "stack", "stdexcept", "streambuf", "string", "string_view",
               "system_error", "thread", "tuple", "type_traits", "typeindex", "typeinfo", "unordered_map",
               "unordered_set", "utility", "valarray", "variant", "vector", "version"]
C_FLAGS = ["-std=c17", "-Wall", "-Wextra", "-Werror", "-DUNICODE", "-D_UNICODE"]
CXX_FLAGS = ["-std=c++23", "-Wall", "-Wextra", "-Werror"]

# The test's own names begin with an underscore, which no name of a form can.
C_USE = """
static void _use_{k}(void) {{
    static const int _ids[] = {{{ids}}};
    char *_copy = malloc(strlen("ids") + 1);
    free(_copy);
    printf("%d %u\\n", _ids[0], (unsigned)(sizeof _ids / sizeof _ids[0]));
    exit(EXIT_SUCCESS);
}}
"""
CXX_USE = """
static void _use_{k}() {{
    static const int _ids[] = {{{ids}}};
    int *_first = new int(_ids[0]);
    char *_copy = static_cast<char *>(std::malloc(std::strlen("ids") + 1));
    std::free(_copy);
    std::printf("%d %zu\\n", *_first, sizeof _ids / sizeof _ids[0]);
    delete _first;
    std::exit(EXIT_SUCCESS);
}}
"""
# Forms a translation unit: the precompiled headers load once for all of them.
BATCH = 40

DEFINE = re.compile(rb"^#define ([A-Za-z_][A-Za-z0-9_]*) ", re.M)


def precompile(compiler, flags, language, headers, folder, name):
    header = folder / name
    header.write_text("#include <windows.h>\n" + "".join(f"#include <{h}>\n" for h in headers))
    subprocess.run([compiler, *flags, "-x", language, str(header), "-o", str(header) + ".gch"], check=True)


def translation_unit(pch, use, batch):
    """The libraries, then each form's header after them as if alone: its ids used, then undefined again."""
    text = f'#include "{pch}"\n'
    for k, ids in batch:
        text += f'\n#include "ids{k}.h"\n' + use.format(k=k, ids=", ".join(ids) if ids else "0")
        text += "".join(f"#undef {name}\n" for name in ids)
    return text + "\nint main(void) { return 0; }\n"


def compile_batch(work, compiler, flags, pch, use, file, batch):
    (work / file).write_text(translation_unit(pch, use, batch))
    compiled = subprocess.run([compiler, *flags, "-fsyntax-only", file], cwd=work, capture_output=True, text=True)
    return compiled.returncode == 0 and not compiled.stderr, compiled.stderr


def main(argv):
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    tarvel_rc, cc, cxx, corpus = argv[1], argv[2], argv[3], Path(argv[4])
    if not corpus.is_dir():
        print(f"no real forms at {corpus}: skipped")
        return SKIPPED
    forms = sorted(p for p in corpus.rglob("*") if p.suffix.lower() == ".frm")
    failures = []
    converted_forms = []  # (form, its ids)
    with tempfile.TemporaryDirectory(prefix="tarvel-headers-") as temporary:
        work = Path(temporary)
        precompile(cc, C_FLAGS, "c-header", [h + ".h" for h in C_HEADERS], work, "c_pch.h")
        precompile(cxx, CXX_FLAGS, "c++-header", CXX_HEADERS, work, "cxx_pch.h")
        for form in forms:
            name = form.relative_to(corpus).as_posix()
            k = len(converted_forms)
            converted = subprocess.run([tarvel_rc, "--all", "--header", str(work / f"ids{k}.h"), "-o",
                                        str(work / f"form{k}.rc"), str(form)], capture_output=True)
            # A form of nomenu/ may have nothing to write: an MDI form without a menu, a file that is no form.
            if converted.returncode == 1 and name.startswith("nomenu/"):
                continue
            if converted.returncode != 0:
                failures.append(f"{name}: tarvel-rc exit status {converted.returncode}: {converted.stderr!r}")
                continue
            ids = [m.group(1).decode() for m in DEFINE.finditer((work / f"ids{k}.h").read_bytes())]
            converted_forms.append((name, ids))
        numbered = list(enumerate(ids for _, ids in converted_forms))
        for first in range(0, len(numbered), BATCH):
            batch = numbered[first:first + BATCH]
            for pch, use, compiler, flags, file in (("c_pch.h", C_USE, cc, C_FLAGS, "use.c"),
                                                    ("cxx_pch.h", CXX_USE, cxx, CXX_FLAGS, "use.cpp")):
                clean, _ = compile_batch(work, compiler, flags, pch, use, file, batch)
                if clean:
                    continue
                # Each form of the batch alone, to name the ones at fault.
                for one in batch:
                    clean, messages = compile_batch(work, compiler, flags, pch, use, file, [one])
                    if not clean:
                        failures.append(f"{converted_forms[one[0]][0]}: {file} does not compile cleanly beside "
                                        f"its header:\n{messages}")
    for failure in failures:
        print("FAIL:", failure)
    ids_seen = sum(len(ids) for _, ids in converted_forms)
    print(f"{len(forms)} forms, {len(converted_forms)} headers with {ids_seen} ids, {len(failures)} failure(s)")
    return 1 if failures or ids_seen == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
