#!/bin/sh
# The real tarvel in a real X window (Xvfb), driven only by keyboard and mouse:
# the window appears with its client size, a form is reached in the directory
# list and picked in the file list, "Konwertuj" writes the RC file tarvel-rc
# would write, "O programie" opens the About box and Escape closes it, and
# "Koniec" ends the process. Started again with a form's path, the window
# opens on its folder with the form picked, so "Konwertuj" at once writes its RC
# file; a screenshot with the focus on File1 differs from one with the focus on
# "Konwertuj" in the list's frame; a name that is no form gets its message over
# the window. --help and --version print without a display. Screenshots are
# left in the output folder.
#
# usage: end_to_end.sh TARVEL TARVEL_RC FORM OUTPUT_DIR
# exit 77 (skipped) when Xvfb, xdotool, xwd, xdpyinfo or ImageMagick is missing.
set -eu

tarvel=$1 tarvel_rc=$2 form=$3 out=$4
for tool in Xvfb xdotool xwd xdpyinfo convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
mkdir -p "$out"

work=$(mktemp -d /tmp/tarvel-e2e.XXXXXX)
xvfb_pid='' tarvel_pid=''
cleanup() {
    [ -n "$tarvel_pid" ] && kill "$tarvel_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$form" "$work/Form1.frm"
"$tarvel_rc" -o "$work/expected.rc" "$work/Form1.frm"
mkdir "$work/Start"
cp "$form" "$work/Start/Form1.frm"

# No window, and no display needed, for the help and the version.
[ "$(env -u DISPLAY "$tarvel" --version)" = "tarvel $("$tarvel_rc" --version | cut -d' ' -f2)" ] ||
    fail "tarvel --version printed '$(env -u DISPLAY "$tarvel" --version 2>&1)'"
env -u DISPLAY "$tarvel" --help | head -n 1 | grep -q '^Usage: tarvel ' || fail "tarvel --help printed no usage line"
status=0
env -u DISPLAY "$tarvel" one.frm two.frm 2>"$work/usage.txt" || status=$?
[ "$status" = 2 ] && grep -q '^tarvel: ' "$work/usage.txt" || fail "two names: status $status, $(cat "$work/usage.txt")"

# Xvfb picks a free display and tells us its number; -noreset keeps it from
# resetting (and refusing connections a moment) each time its last client leaves.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
DISPLAY=:$(cat "$work/display")
export DISPLAY
# On a loaded machine the server may name its display before it takes clients.
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY takes no connection: $(cat "$work/xvfb.log")"
unset QT_QPA_PLATFORM

# The window's own pixels, without a window manager's frame.
screenshot() { xwd -silent -id "$1" | convert xwd:- "$2"; }
find_window() { timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
# close_with KEY WINDOW TITLE WHAT: the key pressed in the window closes it.
close_with() {
    xdotool windowfocus --sync "$2"
    xdotool key "$1"
    for _ in $(seq 50); do xdotool search --onlyvisible --name "$3" >/dev/null || return 0; sleep 0.1; done
    fail "$4"
}

"$tarvel" &
tarvel_pid=$!
main=$(find_window '^Tarvel to RC file$') || fail "no window titled 'Tarvel to RC file'"
eval "$(xdotool getwindowgeometry --shell "$main")"
[ "$WIDTH" = 495 ] && [ "$HEIGHT" = 329 ] || fail "client area ${WIDTH}x${HEIGHT}, not 495x329"
# Centred on the 1024 x 768 screen (there is no frame without a window manager).
[ "$X" = $(((1024 - 495) / 2)) ] && [ "$Y" = $(((768 - 329) / 2)) ] || fail "window at $X,$Y, not centred"
sleep 1
screenshot "$main" "$out/screenshot-main.png"

# The directory list has the focus; typing a name selects it, Enter opens it.
xdotool windowfocus --sync "$main"
sleep 0.5
for part in $(echo "${work#/}" | tr '/' ' '); do
    xdotool type --delay 50 "$part"
    xdotool key Return
    sleep 1  # longer than the list's type-ahead pause, so the next name starts afresh
done
xdotool key Tab Tab space  # past the drive list into the file list; Space picks the form under the focus
sleep 0.5
screenshot "$main" "$out/screenshot-main-picked.png"

# Konwertuj, with the mouse: 5640,120 twips plus half the button.
xdotool mousemove --window "$main" 428 20 click 1
for _ in $(seq 50); do [ -s "$work/Form1.rc" ] && break; sleep 0.1; done
[ -f "$work/Form1.rc" ] || fail "no Form1.rc beside the form"
cmp "$work/Form1.rc" "$work/expected.rc" || fail "Form1.rc differs from what tarvel-rc writes"

# O programie opens the About box; Escape closes it.
xdotool mousemove --window "$main" 428 52 click 1
about=$(find_window '^O programie$') || fail "the About box did not open"
sleep 1
screenshot "$about" "$out/screenshot-about.png"
close_with Escape "$about" '^O programie$' "Escape did not close the About box"

# Koniec ends the process, with status 0.
xdotool mousemove --window "$main" 428 84 click 1
for _ in $(seq 50); do kill -0 "$tarvel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$tarvel_pid" 2>/dev/null && fail "Koniec did not end the program"
status=0
wait "$tarvel_pid" || status=$?
tarvel_pid=''
[ "$status" = 0 ] || fail "tarvel ended with status $status"

# Started with a form's path: on its folder, the form picked, its RC file's name proposed.
"$tarvel" "$work/Start/Form1.frm" &
tarvel_pid=$!
main=$(find_window '^Tarvel to RC file$') || fail "no window when started with a form"
sleep 1
screenshot "$main" "$out/screenshot-main-started-with-form.png"
xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key Tab Tab  # from the directory list past the drive list into the file list
sleep 0.5
screenshot "$main" "$out/screenshot-focus-file1.png"
xdotool mousemove --window "$main" 428 20 click 1  # Konwertuj
for _ in $(seq 50); do [ -s "$work/Start/Form1.rc" ] && break; sleep 0.1; done
cmp "$work/Start/Form1.rc" "$work/expected.rc" || fail "started with the form, Konwertuj did not write its RC file"
sleep 0.5
screenshot "$main" "$out/screenshot-focus-konwertuj.png"
# File1's frame (2880,120 twips: 192,8 px, 169 x 266): its top and left edges.
edges() { convert "$1" -crop 169x1+192+8 +repage "$2-top.png" && convert "$1" -crop 1x266+192+8 +repage "$2-left.png"; }
edges "$out/screenshot-focus-file1.png" "$work/focused"
edges "$out/screenshot-focus-konwertuj.png" "$work/unfocused"
for edge in top left; do
    differing=$(compare -metric AE "$work/focused-$edge.png" "$work/unfocused-$edge.png" null: 2>&1 || true)
    [ "${differing%% *}" -gt 100 ] 2>/dev/null || fail "File1's $edge edge shows no focus frame ($differing pixels differ)"
done
kill "$tarvel_pid"
wait "$tarvel_pid" 2>/dev/null || true

# A name that is no form: the message names it, over the window as it starts without it.
"$tarvel" "$work/expected.rc" &
tarvel_pid=$!
message=$(find_window '^Błąd$') || fail "no message for a name that is no form"
find_window '^Tarvel to RC file$' >/dev/null || fail "no main window beside the message"
sleep 0.5
screenshot "$message" "$out/screenshot-not-a-form.png"
close_with Return "$message" '^Błąd$' "the message did not close"
kill "$tarvel_pid"
wait "$tarvel_pid" 2>/dev/null || true
tarvel_pid=''
echo "PASS: window, conversion, About box, Koniec, a form at start, the focus frame and a name that is no form; screenshots in $out"
