#!/usr/bin/env bash
# Conversion benchmark: tarvel-rc on a generated form of tens of megabytes,
# next to the least any converter must do, `cat FORM > COPY` (read the form,
# write about as many bytes). Prints the best of several runs of each, and
# tarvel-rc's peak memory against the form's size.
#
#   bench/conversion.sh [TARVEL_RC] [MEGABYTES] [RUNS]
#
# Then a batch of many small real forms (../shared/corpus, when present):
# `tarvel-rc` over all of them in one command, next to `cp` of the same forms.
#
# Aims: the large form at most 1.5 times the copy's time with a peak memory of
# at most 1.25 times the form's size; the batch at most 1.5 times `cp`.
# Needs python3 and /usr/bin/time (Debian package "time").
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tarvel_rc="${1:-$here/../build/bin/tarvel-rc}"
megabytes="${2:-60}"
runs="${3:-5}"

[ -x "$tarvel_rc" ] || { echo "no tarvel-rc at $tarvel_rc (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing: apt-get install time" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvel-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT
form="$work/bench.frm"

items="$(python3 "$here/make_form.py" "$form" "$megabytes")"
form_bytes="$(stat -c %s "$form")"

now_ns() { date +%s%N; }

# Best of `runs` wall-clock times of "$@", in nanoseconds. One run first to
# warm the page cache for both contenders alike.
best_ns() {
  "$@" >/dev/null
  local best="" start stop elapsed i
  for ((i = 0; i < runs; i++)); do
    start="$(now_ns)"
    "$@"
    stop="$(now_ns)"
    elapsed=$((stop - start))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best="$elapsed"; fi
  done
  echo "$best"
}

copy() { cat "$form" >"$work/copy.frm"; }
convert() { "$tarvel_rc" -o "$work/bench.rc" "$form"; }
convert_numbers() { "$tarvel_rc" --no-define -o "$work/numbers.rc" "$form"; }

copy_ns="$(best_ns copy)"
convert_ns="$(best_ns convert)"
numbers_ns="$(best_ns convert_numbers)"
rc_bytes="$(stat -c %s "$work/bench.rc")"

peak_kb="$(/usr/bin/time -v "$tarvel_rc" -o "$work/bench.rc" "$form" 2>&1 >/dev/null |
  sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p')"

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
[ -n "$cpu" ] || cpu="$(uname -m)"
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f ms", ns / 1e6 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }

echo "Machine:        $cpu, $(nproc) cores, Linux $(uname -r)"
echo "tarvel-rc:      $tarvel_rc ($("$tarvel_rc" --version))"
echo "Form:           $(mib "$form_bytes") ($form_bytes bytes), $items menu items, CR LF line ends"
echo "RC text:        $(mib "$rc_bytes") with #define"
echo "Best of $runs runs:"
echo "  cat FORM > COPY          $(ms "$copy_ns")"
echo "  tarvel-rc (#define)      $(ms "$convert_ns")   $(awk -v a="$convert_ns" -v b="$copy_ns" 'BEGIN { printf "%.2fx the copy (aim: at most 1.5x)", a / b }')"
echo "  tarvel-rc --no-define    $(ms "$numbers_ns")   $(awk -v a="$numbers_ns" -v b="$copy_ns" 'BEGIN { printf "%.2fx the copy", a / b }')"
echo "Peak memory:    $(mib $((peak_kb * 1024))) for tarvel-rc (#define), $(awk -v m="$peak_kb" -v f="$form_bytes" 'BEGIN { printf "%.2fx the form (aim: at most 1.25x)", m * 1024 / f }')"

corpus="$here/../../shared/corpus/menu"
if [ ! -d "$corpus" ]; then
  echo "Batch:          skipped, no real forms at $corpus"
  exit 0
fi
# The forms and their .frx files in one folder, as a build script would have them.
mkdir -p "$work/batch" "$work/batch-copy"
find "$corpus" -iname '*.frm' -exec cp {} "$work/batch/" \;
find "$corpus" -iname '*.frx' -exec cp {} "$work/batch/" \;
batch_forms=("$work/batch"/*.frm)
copy_batch() { cp "${batch_forms[@]}" "$work/batch-copy/"; }
convert_batch() { "$tarvel_rc" "${batch_forms[@]}"; }
cp_ns="$(best_ns copy_batch)"
batch_ns="$(best_ns convert_batch)"
echo "Batch:          ${#batch_forms[@]} real forms of the corpus, one command, best of $runs runs:"
echo "  cp FORMS DIR             $(ms "$cp_ns")"
echo "  tarvel-rc FORMS          $(ms "$batch_ns")   $(awk -v a="$batch_ns" -v b="$cp_ns" 'BEGIN { printf "%.2fx cp (aim: at most 1.5x)", a / b }')"
