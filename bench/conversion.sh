#!/usr/bin/env bash
# Conversion benchmark: tarvel-rc on generated forms of 50 MB, each run side
# by side with the least any converter must do, `cat FORM > COPY` (read the
# form, write about as many bytes), the two in turn, and the ratio taken run
# by run so that a machine whose speed drifts still gives a fair figure:
#
#   --all on a form of 30,000 menu items and 30,000 controls
#     aim: at most 2x cat (3x acceptable), peak memory at most a quarter of the form (half acceptable)
#   the menu alone (no options) on a form laid out as Visual Basic writes one,
#   its other controls first, then 60,000 menu items
#     aim: at most 1.2x cat (1.5x acceptable), peak memory fixed: at most 24 MiB at 50 MB and at 500 MB
#
# then over all the real forms of ../shared/corpus (when present) in one
# command, against `cp` of the same forms. Prints medians with the least and
# the most of the runs, and the machine with its load.
#
#   bench/conversion.sh [TARVEL_RC] [RUNS]     (a release build; 9 runs by default)
#
# Needs python3 and /usr/bin/time (Debian package "time"), and 600 MB in $TMPDIR.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tarvel_rc="${1:-$here/../build/bin/tarvel-rc}"
runs="${2:-9}"

[ -x "$tarvel_rc" ] || { echo "no tarvel-rc at $tarvel_rc (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing: apt-get install time" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvel-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

now_ns() { date +%s%N; }
ms() { awk -v ns="$1" 'BEGIN { printf "%.1f ms", ns / 1e6 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
# "median (least to most)" of numbers, one a line, printed by the format.
spread() {
  sort -g | awk -v f="$1" '{ v[NR] = $1 } END {
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf f " (" f " to " f ")", m, v[1], v[NR] }'
}
peak_bytes() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' |
    awk '{ print $1 * 1024 }'
}

# Runs "cat FORM > COPY" and tarvel-rc ARGS... (LABEL names them) in turn, after one run of each
# to warm the page cache for both alike; prints the two times and their ratio.
side_by_side() {
  local form="$1" label="$2"; shift 2
  local copy_times="$work/copy.times" convert_times="$work/convert.times" ratios="$work/ratios"
  : >"$copy_times"; : >"$convert_times"; : >"$ratios"
  cat "$form" >"$work/copy.frm"
  "$tarvel_rc" "$@" >/dev/null
  local i start middle stop
  for ((i = 0; i < runs; i++)); do
    start="$(now_ns)"
    cat "$form" >"$work/copy.frm"
    middle="$(now_ns)"
    "$tarvel_rc" "$@"
    stop="$(now_ns)"
    echo $((middle - start)) >>"$copy_times"
    echo $((stop - middle)) >>"$convert_times"
    awk -v a=$((stop - middle)) -v b=$((middle - start)) 'BEGIN { print a / b }' >>"$ratios"
  done
  echo "  cat FORM > COPY          $(awk '{ print $1 / 1e6 }' "$copy_times" | spread "%.1f") ms"
  printf '  %-24s %s ms\n' "$label" "$(awk '{ print $1 / 1e6 }' "$convert_times" | spread "%.1f")"
  echo "  ratio, run by run        $(spread "%.2fx" <"$ratios")"
}

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
[ -n "$cpu" ] || cpu="$(uname -m)"
echo "Machine:        $cpu, $(nproc) cores, Linux $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo "tarvel-rc:      $tarvel_rc ($("$tarvel_rc" --version)), $runs runs of each, median (least to most)"

whole="$work/whole.frm"
read -r items controls < <(python3 "$here/make_form.py" "$whole" 50 whole)
whole_bytes="$(stat -c %s "$whole")"
echo
echo "--all: $(mib "$whole_bytes") form, $items menu items, $controls controls (aim: 2x cat, 3x acceptable)"
side_by_side "$whole" "tarvel-rc --all" --all --header "$work/whole.h" -o "$work/whole.rc" "$whole"
peak="$(peak_bytes "$tarvel_rc" --all --header "$work/whole.h" -o "$work/whole.rc" "$whole")"
echo "  peak memory              $(mib "$peak"), $(awk -v m="$peak" -v f="$whole_bytes" 'BEGIN { printf "%.2f", m / f }') of the form (aim: 0.25, 0.5 acceptable)"
rm -f "$whole"

menu="$work/menu.frm"
read -r items controls < <(python3 "$here/make_form.py" "$menu" 50 menu)
menu_bytes="$(stat -c %s "$menu")"
echo
echo "The menu alone: $(mib "$menu_bytes") form, $controls controls, then $items menu items (aim: 1.2x cat, 1.5x acceptable)"
side_by_side "$menu" "tarvel-rc" -o "$work/menu.rc" "$menu"
peak="$(peak_bytes "$tarvel_rc" -o "$work/menu.rc" "$menu")"
rm -f "$menu"
python3 "$here/make_form.py" "$menu" 500 menu >/dev/null
large_bytes="$(stat -c %s "$menu")"
large_peak="$(peak_bytes "$tarvel_rc" -o "$work/menu.rc" "$menu")"
echo "  peak memory              $(mib "$peak") at $(mib "$menu_bytes"), $(mib "$large_peak") at $(mib "$large_bytes") (aim: at most 24 MiB)"
rm -f "$menu"

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
# Their warnings (items without a caption, ...) are not what is measured, and would bury the figures.
convert_batch() { "$tarvel_rc" "${batch_forms[@]}" 2>/dev/null; }
best_ns() {
  "$@" >/dev/null
  local best="" start elapsed i
  for ((i = 0; i < runs; i++)); do
    start="$(now_ns)"
    "$@"
    elapsed=$(($(now_ns) - start))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best="$elapsed"; fi
  done
  echo "$best"
}
cp_ns="$(best_ns copy_batch)"
batch_ns="$(best_ns convert_batch)"
echo
echo "Batch: ${#batch_forms[@]} real forms of the corpus, one command, best of $runs runs:"
echo "  cp FORMS DIR             $(ms "$cp_ns")"
echo "  tarvel-rc FORMS          $(ms "$batch_ns")   $(awk -v a="$batch_ns" -v b="$cp_ns" 'BEGIN { printf "%.2fx cp", a / b }')"
