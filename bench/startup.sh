#!/usr/bin/env bash
# Start-up benchmark: the time from starting tarvel until the X server maps its
# window "Tarvel to RC file", next to a minimal Qt Widgets program that shows
# one empty window, measured the same way on the same Xvfb. tarvel_map_timer
# starts each program and is told of the map by the server itself. The two are
# run in turns so that whatever else the machine does falls on both alike, and
# each pair of runs gives a ratio: the median of those holds when the
# machine's speed drifts.
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
# Aims: tarvel's median at most 1.3 times the empty Qt window's, 1.2 better;
# tarvel.exe at most 1.2 times the empty Win32 window's. A third program, the
# empty Qt window with one label, shows that a line of text costs an empty
# window little before its map: Qt reads the fonts once the window is mapped.
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
# The median of the ratios of two files' lines, run by run.
pair_ratio() { paste "$1" "$2" | awk '{ print $1 / $2 }' | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f\n", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
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
printf '  the same with one label    %7.1f ms  %7.1f ms\n' "$label_best" "$label_median"
printf '  tarvel / minimal, run by run          %5.2fx   (aim: at most 1.3x, then 1.2x)\n' \
  "$(pair_ratio "$work/tarvel.ms" "$work/minimal.ms")"

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
measure 'Tarvel to RC file' wine "$tarvel_exe" >/dev/null
measure 'Minimal Win32 window' wine "$minimal_exe" >/dev/null
measure 'Minimal Win32 window' wine "$like_exe" >/dev/null
for ((i = 0; i < runs; i++)); do
  measure 'Tarvel to RC file' wine "$tarvel_exe" >>"$work/tarvel-exe.ms"
  measure 'Minimal Win32 window' wine "$minimal_exe" >>"$work/minimal-exe.ms"
  measure 'Minimal Win32 window' wine "$like_exe" >>"$work/like-exe.ms"
done
read -r exe_best exe_median < <(stats "$work/tarvel-exe.ms")
read -r win32_best win32_median < <(stats "$work/minimal-exe.ms")
read -r like_best like_median < <(stats "$work/like-exe.ms")
echo "Wine:      $(wine --version), the same Xvfb, $runs runs each, in turns"
printf '  tarvel.exe                 %7.1f ms  %7.1f ms\n' "$exe_best" "$exe_median"
printf '  minimal Win32 window       %7.1f ms  %7.1f ms\n' "$win32_best" "$win32_median"
printf '  with the manifest and comctl32 %5.1f ms  %7.1f ms   (tarvel.exe loads comctl32 once shown)\n' \
  "$like_best" "$like_median"
printf '  tarvel.exe / minimal, run by run      %5.2fx   (aim: at most 1.2x)\n' \
  "$(pair_ratio "$work/tarvel-exe.ms" "$work/minimal-exe.ms")"
printf '  tarvel.exe / that one, run by run     %5.2fx\n' "$(pair_ratio "$work/tarvel-exe.ms" "$work/like-exe.ms")"
