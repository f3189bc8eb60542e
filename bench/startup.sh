#!/usr/bin/env bash
# Start-up benchmark: the time from starting tarvel until the X server maps its
# window "Tarvel to RC file", and until that window's first complete paint has
# ended, next to a minimal Qt Widgets program that shows one empty window,
# measured the same way on the same Xvfb. tarvel_map_timer starts each program
# and is told of the map by the server itself, and of every paint by the
# Damage extension: the paint is complete at the last damage followed by 200 ms
# without any. Both windows map their window before they make their controls,
# so the map alone no longer tells when the window is ready; the first paint
# does. The programs are run in turns so that whatever else the machine does
# falls on both alike, and each pair of runs gives a ratio: the median of those
# holds when the machine's speed drifts.
#
# Then, where Wine and the Windows build (WINDOWS_BIN, build-windows/bin) are
# there, the same for tarvel.exe against a minimal Win32 program with one empty
# window, bare and with tarvel.exe's manifest and the common controls imported,
# all under one Wine in a prefix of their own (made once, in
# build-windows/wine-prefix-bench), with one window kept open throughout, as a
# desktop always has its shell.
#
#   bench/startup.sh [TARVEL] [MINIMAL_WINDOW] [MAP_TIMER] [RUNS] [WINDOWS_BIN]
#
# Aims, for the map and for the first paint alike: tarvel's median at most 1.3
# times the empty Qt window's, 1.2 better; tarvel.exe at most 1.2 times the
# empty Win32 window's. A third program, the empty Qt window with one label,
# shows what a line of text costs an empty window.
# Needs Xvfb; the Wine part also wine.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin="$here/../build/bin"
tarvel="${1:-$bin/tarvel}"
minimal="${2:-$bin/tarvel_minimal_window}"
map_timer="${3:-$bin/tarvel_map_timer}"
runs="${4:-21}"
windows_bin="${5:-$here/../build-windows/bin}"
tarvel_exe="$windows_bin/tarvel.exe"
minimal_exe="$windows_bin/tarvel_minimal_window_win32.exe"
like_exe="$windows_bin/tarvel_minimal_window_win32_like_tarvel.exe"

for program in "$tarvel" "$minimal" "$map_timer"; do
  [ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is missing: apt-get install xvfb" >&2; exit 2; }
command -v xdpyinfo >/dev/null || { echo "xdpyinfo is missing: apt-get install x11-utils" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/tarvel-startup-XXXXXX")"
xvfb_pid='' keeper_pid='' wine_started=''
cleanup() {
  local status=$?
  # A run that failed says why: the programs' own messages are kept aside until then.
  [ "$status" -ne 0 ] && [ -s "$work/errors" ] && cat "$work/errors" >&2
  [ -n "$keeper_pid" ] && kill "$keeper_pid" 2>/dev/null
  [ -n "$wine_started" ] && wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# -noreset: by default the server resets when its last client leaves, and a
# program started during the reset finds no display (each run is the only client).
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
# On a loaded machine the server may name its display before it takes clients.
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb on $DISPLAY takes no connection: $(cat "$work/xvfb.log")" >&2; exit 1; }
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Each run adds a line "MAP PAINT" (milliseconds) to the file named first.
measure() { local into="$1"; shift; "$map_timer" "$@" 2>>"$work/errors" >>"$into"; }

# One run of each first, so that all start with the libraries in the page cache.
measure /dev/null 'Tarvel to RC file' "$tarvel"
measure /dev/null 'Minimal Qt window' "$minimal"
measure /dev/null 'Minimal Qt window with a label' "$minimal" --label
for ((i = 0; i < runs; i++)); do
  measure "$work/tarvel.ms" 'Tarvel to RC file' "$tarvel"
  measure "$work/minimal.ms" 'Minimal Qt window' "$minimal"
  measure "$work/label.ms" 'Minimal Qt window with a label' "$minimal" --label
done

# Best and median of one column (1: the map, 2: the first paint) of a file of runs.
stats() { cut -d' ' -f"$2" "$1" | sort -g | awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[1], (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The median of the ratios of one column of two files, line by line (run by run).
pair_ratio() { paste -d' ' "$1" "$2" | awk -v c="$3" '{ n = NF / 2; print $c / $(c + n) }' | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Three lines (best and median of the map, of the first paint) for one file of runs.
report() {
  local map paint
  map="$(stats "$2" 1)" paint="$(stats "$2" 2)"
  printf '  %-30s %7.1f ms %7.1f ms %9.1f ms %7.1f ms\n' "$1" ${map} ${paint}
}

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
[ -n "$cpu" ] || cpu="$(uname -m)"
qt="$(dpkg-query -W -f='${Version}' libqt6widgets6 2>/dev/null || echo unknown)"
echo "Machine:   $cpu, $(nproc) cores, Linux $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Qt:        $qt (Debian libqt6widgets6), xcb platform on Xvfb 1024x768x24, no window manager"
echo "Measured:  from starting the program until the X server maps its window, and until its first complete"
echo "           paint (the last damage before 200 ms without any), $runs runs each, in turns"
echo "                                     map: best    median   first paint: best    median"
report tarvel "$work/tarvel.ms"
report 'minimal Qt Widgets window' "$work/minimal.ms"
report 'the same with one label' "$work/label.ms"
printf '  tarvel / minimal, run by run   map %5.2fx, first paint %5.2fx   (aim: at most 1.3x, then 1.2x)\n' \
  "$(pair_ratio "$work/tarvel.ms" "$work/minimal.ms" 1)" "$(pair_ratio "$work/tarvel.ms" "$work/minimal.ms" 2)"

if ! command -v wine >/dev/null || [ ! -f "$tarvel_exe" ] || [ ! -f "$minimal_exe" ] || [ ! -f "$like_exe" ]; then
  echo "Wine:      skipped (needs wine and the Windows build in $windows_bin: cmake --preset windows && cmake --build --preset windows)"
  exit 0
fi
export WINEPREFIX="${WINEPREFIX_BENCH:-$here/../build-windows/wine-prefix-bench}" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
# The prefix's first start needs the display it will draw on.
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >"$work/wineboot.log" 2>&1
# Then one server for all the runs: the first start's own ends a moment after it.
wineserver -w
wineserver -p
wine_started=yes
# One window open all along, as the desktop's shell always is: otherwise Wine
# starts its desktop process anew for whichever program comes first.
wine "$minimal_exe" >/dev/null 2>&1 &
keeper_pid=$!
measure /dev/null 'Tarvel to RC file' wine "$tarvel_exe"
measure /dev/null 'Minimal Win32 window' wine "$minimal_exe"
measure /dev/null 'Minimal Win32 window' wine "$like_exe"
for ((i = 0; i < runs; i++)); do
  measure "$work/tarvel-exe.ms" 'Tarvel to RC file' wine "$tarvel_exe"
  measure "$work/minimal-exe.ms" 'Minimal Win32 window' wine "$minimal_exe"
  measure "$work/like-exe.ms" 'Minimal Win32 window' wine "$like_exe"
done
echo "Wine:      $(wine --version), the same Xvfb, $runs runs each, in turns, load $(cut -d' ' -f1-3 /proc/loadavg)"
report tarvel.exe "$work/tarvel-exe.ms"
report 'minimal Win32 window' "$work/minimal-exe.ms"
report 'with the manifest and comctl32' "$work/like-exe.ms"
printf '  tarvel.exe / minimal, run by run   map %5.2fx, first paint %5.2fx   (aim: at most 1.2x)\n' \
  "$(pair_ratio "$work/tarvel-exe.ms" "$work/minimal-exe.ms" 1)" "$(pair_ratio "$work/tarvel-exe.ms" "$work/minimal-exe.ms" 2)"
printf '  tarvel.exe / that one, run by run  map %5.2fx, first paint %5.2fx\n' \
  "$(pair_ratio "$work/tarvel-exe.ms" "$work/like-exe.ms" 1)" "$(pair_ratio "$work/tarvel-exe.ms" "$work/like-exe.ms" 2)"
