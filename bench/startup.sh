#!/usr/bin/env bash
# Start-up benchmark: the time from starting tarvel until the X server maps its
# window "Tarvel to RC file", next to a minimal Qt Widgets program that shows
# one empty window, measured the same way on the same Xvfb. tarvel_map_timer
# starts each program and is told of the map by the server itself. The two are
# run in turns so that whatever else the machine does falls on both alike.
#
#   bench/startup.sh [TARVEL] [MINIMAL_WINDOW] [MAP_TIMER] [RUNS]
#
# Aim: tarvel's median at most 1.3 times the empty window's, 1.2 better. A third program, the
# empty window with one label, shows the part of the gap that is loading fonts.
# Needs Xvfb.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin="$here/../build/bin"
tarvel="${1:-$bin/tarvel}"
minimal="${2:-$bin/tarvel_minimal_window}"
map_timer="${3:-$bin/tarvel_map_timer}"
runs="${4:-21}"

for program in "$tarvel" "$minimal" "$map_timer"; do
  [ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is missing: apt-get install xvfb" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvel-startup-XXXXXX")"
xvfb_pid=''
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

measure() { "$map_timer" "$@" 2>>"$work/errors"; }

# One run of each first, so that all start with the libraries in the page cache.
measure 'Tarvel to RC file' "$tarvel" >/dev/null
measure 'Minimal Qt window' "$minimal" >/dev/null
measure 'Minimal Qt window with a label' "$minimal" --label >/dev/null
for ((i = 0; i < runs; i++)); do
  measure 'Tarvel to RC file' "$tarvel" >>"$work/tarvel.ms"
  measure 'Minimal Qt window' "$minimal" >>"$work/minimal.ms"
  measure 'Minimal Qt window with a label' "$minimal" --label >>"$work/label.ms"
done

# Best and median of a file of numbers, one a line.
stats() { sort -g "$1" | awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
read -r tarvel_best tarvel_median < <(stats "$work/tarvel.ms")
read -r minimal_best minimal_median < <(stats "$work/minimal.ms")
read -r label_best label_median < <(stats "$work/label.ms")

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
[ -n "$cpu" ] || cpu="$(uname -m)"
qt="$(dpkg-query -W -f='${Version}' libqt6widgets6 2>/dev/null || echo unknown)"
echo "Machine:   $cpu, $(nproc) cores, Linux $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Qt:        $qt (Debian libqt6widgets6), xcb platform on Xvfb 1024x768x24, no window manager"
echo "Measured:  from starting the program until the X server maps its window, $runs runs each, in turns"
echo "                                  best        median"
printf '  tarvel                     %7.1f ms  %7.1f ms\n' "$tarvel_best" "$tarvel_median"
printf '  minimal Qt Widgets window  %7.1f ms  %7.1f ms\n' "$minimal_best" "$minimal_median"
printf '  the same with one label    %7.1f ms  %7.1f ms   (the fonts loaded)\n' "$label_best" "$label_median"
awk -v a="$tarvel_median" -v b="$minimal_median" -v c="$tarvel_best" -v d="$minimal_best" \
  'BEGIN { printf "  tarvel / minimal           %7.2fx     %7.2fx   (aim: at most 1.3x, then 1.2x)\n", c / d, a / b }'
