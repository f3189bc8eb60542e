#!/usr/bin/env bash
# Makes the lists of names a C or C++ build of a Win32 program already gives
# a meaning to, which therefore never become a #define of ours:
#   convert/names/c_library.txt     the C standard library's functions and macros
#   convert/names/windows_macros.txt the macros <windows.h> defines
# Both come from MinGW-w64's own headers through its preprocessor (Debian's
# gcc-mingw-w64-x86-64), in C and in C++, with and without UNICODE. Names that
# begin with an underscore are left out: no form's name can begin with one.
# Run once when the toolchain moves on; the lists are kept in the repository
# and read when Tarvel is built.
set -euo pipefail
cd "$(dirname "$0")/.."
cc=x86_64-w64-mingw32-gcc
cxx=x86_64-w64-mingw32-g++
out=convert/names

# Every header of the C standard library (C23) that MinGW-w64 has.
c_headers=(assert complex ctype errno fenv float inttypes iso646 limits locale math setjmp signal
  stdalign stdarg stdatomic stdbool stddef stdint stdio stdlib stdnoreturn string tgmath threads time
  uchar wchar wctype)
includes() {
  local h
  for h in "$@"; do
    echo "#if __has_include(<$h.h>)"
    echo "#include <$h.h>"
    echo "#endif"
  done
}
identifiers() { grep -E '^[A-Za-z][A-Za-z0-9_]*$' | LC_ALL=C sort -u; }
macros() { "$@" -E -dM - </dev/stdin | awk '$1 == "#define" { sub(/\(.*/, "", $2); print $2 }'; }
# Names declared as functions: an identifier followed by "(" in the preprocessed text.
functions() { "$@" -E -P - </dev/stdin | grep -oE '\b[A-Za-z][A-Za-z0-9_]*[[:space:]]*\(' | tr -d '( \t'; }

header_comment() {
  echo "# $1"
  echo "# Made by scripts/make_name_lists.sh from $($cc --version | head -n 1)."
  echo "# One name a line; lines beginning with # are comments."
}

{
  header_comment "The C standard library's functions and macros, as MinGW-w64's headers declare them."
  {
    # In C: in C++ these headers also bring the C++ library's own members (append, assign, ...).
    includes "${c_headers[@]}" | macros $cc -std=c2x -x c -w
    includes "${c_headers[@]}" | functions $cc -std=c2x -x c -w
  } | identifiers
} >"$out/c_library.txt"

{
  header_comment "The macros <windows.h> defines, as MinGW-w64's headers define them."
  {
    for unicode in "" "-DUNICODE -D_UNICODE"; do
      # shellcheck disable=SC2086
      echo '#include <windows.h>' | macros $cc -x c $unicode
      # shellcheck disable=SC2086
      echo '#include <windows.h>' | macros $cxx -x c++ $unicode
    done
  } | identifiers
} >"$out/windows_macros.txt"
wc -l "$out"/*.txt
