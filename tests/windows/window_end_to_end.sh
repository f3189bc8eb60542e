#!/bin/sh
# tarvel.exe under Wine in an X server, driven only by keyboard and mouse: the
# window appears with its client size, the keyboard opens a folder with a
# non-ASCII name in the directory list, the mouse picks a form with a non-ASCII
# name, "Konwertuj" writes the RC file that tarvel-rc writes on Linux, byte for
# byte, then with "schowka" puts the text, decoded from the ANSI code page, on
# the clipboard; "O programie" opens the About box and Escape closes it, and
# "Koniec" ends the program with status 0. The folders and the drive carry the
# shell's icons and Label1 leaves Text1's border whole (window_driver.exe reads
# the screen); a screenshot with the focus on File1 differs from one with the
# focus on "Konwertuj" in the list. Started again with the form's path, the
# window opens with it picked, and "Konwertuj" converts it at once; a form
# dropped on it (WM_DROPFILES from window_driver.exe) likewise; a name that is
# no form gets its message. --version prints without a window. Screenshots are
# left in OUTPUT_DIR.
#
# usage: window_end_to_end.sh TARVEL_EXE TARVEL_RC OUTPUT_DIR
#   TARVEL_RC is the Linux tarvel-rc, whose bytes are the reference.
# Environment, all optional:
#   WINEPREFIX  an initialised prefix to use (Wine started once per run by the
#               caller, with DISPLAY set from its first start); otherwise one is
#               made in OUTPUT_DIR/wineprefix (wineboot -i, about 20-30 s once)
#   DISPLAY     a running X server (Xvfb) to use; otherwise Xvfb is started
#   MINGW_CXX   the cross compiler for the clipboard reader and the window driver
#               (default x86_64-w64-mingw32-g++-posix)
# exit 77 (skipped) when wine, Xvfb, xdotool, ImageMagick or the cross compiler is missing.
set -eu

tarvel_exe=$(realpath "$1") tarvel_rc=$(realpath "$2") out=$3
here=$(dirname "$(realpath "$0")")
mingw_cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
for tool in wine wineserver xdotool import "$mingw_cxx"; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || command -v Xvfb >/dev/null 2>&1 || { echo "skipped: Xvfb is not installed"; exit 77; }
mkdir -p "$out"
out=$(realpath "$out")
work=$out/work
rm -rf "$work"
mkdir -p "$work"
export WINEDEBUG=-all
# Arguments and Unix file names as UTF-8, as the caller's Wine has them.
export LC_ALL=C.UTF-8

xvfb_pid='' tarvel_pid='' own_prefix=''
cleanup() {
    [ -n "$tarvel_pid" ] && kill "$tarvel_pid" 2>/dev/null
    # Only a prefix made here has its Wine stopped here; a caller's goes on serving.
    [ -n "$own_prefix" ] && wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display and tells us its number.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    [ -s "$work/display" ] || fail "Xvfb did not start"
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
fi
if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$out/wineprefix
    own_prefix=yes
    export WINEPREFIX
    # Wine's first start in the prefix, with the display it will draw on.
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >"$work/wineboot.log" 2>&1 || fail "wineboot -i failed"
fi
screen_width=$(xdotool getdisplaygeometry | cut -d' ' -f1)
screen_height=$(xdotool getdisplaygeometry | cut -d' ' -f2)

# A small Windows program that prints the clipboard's text as UTF-8.
clipboard_exe=$out/clipboard_text.exe
if [ ! -f "$clipboard_exe" ] || [ "$here/clipboard_text.cpp" -nt "$clipboard_exe" ]; then
    "$mingw_cxx" -O1 -municode -static -o "$clipboard_exe" "$here/clipboard_text.cpp"
fi
# And one that drops files on the window and checks its pixels.
driver_exe=$out/window_driver.exe
if [ ! -f "$driver_exe" ] || [ "$here/window_driver.cpp" -nt "$driver_exe" ]; then
    "$mingw_cxx" -std=c++20 -O1 -municode -static -Wall -Wextra -Werror -o "$driver_exe" "$here/window_driver.cpp" \
        -lshell32 -lgdi32
fi

# The form, in a folder and under a name that no ANSI code page holds in full,
# with captions in Windows-1252 bytes as a Western European VB6 writes them.
folder_name='tarvel-e2e'
forms="$WINEPREFIX/drive_c/$folder_name/Zażółć"
rm -rf "$WINEPREFIX/drive_c/$folder_name"
mkdir -p "$forms"
form="$forms/Menü.frm"
python3 - "$form" <<'FORM'
import sys
lines = [
    'VERSION 5.00', 'Begin VB.Form frmMenu', '   Caption         =   "Menü"',
    '   Begin VB.Menu mnuDatei ', '      Caption         =   "&Datei"',
    '      Begin VB.Menu mnuOeffnen ', '         Caption         =   "&Öffnen..."', '      End',
    '      Begin VB.Menu mnuSep ', '         Caption         =   "-"', '      End',
    '      Begin VB.Menu mnuSchliessen ', '         Caption         =   "Schließen"',
    "         Enabled         =   0   'False", '      End', '   End',
    '   Begin VB.Menu mnuPret ', '      Caption         =   "Prêt à tout"',
    "      Checked         =   -1  'True", '   End', 'End', 'Attribute VB_Name = "frmMenu"']
open(sys.argv[1], 'wb').write(('\r\n'.join(lines) + '\r\n').encode('cp1252'))
FORM
"$tarvel_rc" -o "$work/expected.rc" "$form" || fail "tarvel-rc could not convert the test form"
# The clipboard gets the text without the file's last line end, decoded from the system's code page.
python3 -c 'import sys; t = open(sys.argv[1], "rb").read(); sys.stdout.buffer.write(t[:-2].decode("cp1252").encode())' \
    "$work/expected.rc" >"$work/expected-clipboard.txt"

# The window's own pixels: without a window manager Wine draws no frame or title bar.
screenshot() { import -window "$1" "$2"; }
find_window() { timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; sleep 0.5; }

cd "$work"
# No window for the version.
version=$(wine "$tarvel_exe" --version 2>/dev/null) || fail "tarvel.exe --version: status $?"
[ "$version" = "tarvel $("$tarvel_rc" --version | cut -d' ' -f2)" ] || fail "tarvel.exe --version printed '$version'"

wine "$tarvel_exe" >"$work/tarvel.log" 2>&1 &
tarvel_pid=$!
main=$(find_window '^Tarvel to RC file$') || fail "no window titled 'Tarvel to RC file'"
eval "$(xdotool getwindowgeometry --shell "$main")"
# 7425 x 4935 twips at 96 dpi, 15 twips a pixel.
[ "$WIDTH" = 495 ] && [ "$HEIGHT" = 329 ] || fail "client area ${WIDTH}x${HEIGHT}, not 495x329"
# Centred with its (here invisible) frame: the client area lies a caption's height low.
[ "$X" = $(((screen_width - 495) / 2)) ] && [ "$Y" -ge $(((screen_height - 329) / 2)) ] &&
    [ "$Y" -le $(((screen_height - 329) / 2 + 40)) ] || fail "window at $X,$Y, not centred"
sleep 1
screenshot "$main" "$out/windows-main.png"
# On c:\ the shell's folder and drive icons; Text1's border whole beneath Label1.
wine "$driver_exe" check 'Tarvel to RC file' || fail "the window's icons or labels are not as the shell draws them"

# The directory list has the focus on c:\; a letter moves to the folder it begins, Enter opens it.
xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key t Return
sleep 1
xdotool key z Return
sleep 1
# The form, with the mouse: the first line of File1 (2880,120 twips).
click 240 16
screenshot "$main" "$out/windows-main-picked.png"

# Konwertuj (5640,120 twips plus half the button) writes the name proposed beside the form.
click 428 20
screenshot "$main" "$out/windows-focus-konwertuj.png"
# File1 (2880,120 twips: 192,8 px, 169 x 266) shows the focus it had, and has no more.
crop() { convert "$1" -crop 169x266+192+8 +repage "$2"; }
crop "$out/windows-main-picked.png" "$work/file1-focused.png"
crop "$out/windows-focus-konwertuj.png" "$work/file1-unfocused.png"
differing=$(compare -metric AE "$work/file1-focused.png" "$work/file1-unfocused.png" null: 2>&1 || true)
[ "${differing%% *}" -gt 50 ] 2>/dev/null || fail "File1 shows no focus ($differing pixels differ)"
for _ in $(seq 100); do [ -s "$forms/Menü.rc" ] && break; sleep 0.1; done
[ -f "$forms/Menü.rc" ] || fail "no Menü.rc beside the form"
cmp "$forms/Menü.rc" "$work/expected.rc" || fail "Menü.rc differs from what tarvel-rc writes"

# schowka (Frame2 at 5520,3240, Option2 120,480 inside it), then Konwertuj to the clipboard.
click 390 256
click 428 20
for _ in $(seq 30); do
    wine "$clipboard_exe" >"$work/clipboard.txt" 2>/dev/null && cmp -s "$work/clipboard.txt" "$work/expected-clipboard.txt" && break
    sleep 0.5
done
cmp "$work/clipboard.txt" "$work/expected-clipboard.txt" || fail "the clipboard does not hold the RC text"

# O programie opens the About box; Escape closes it.
click 428 52
about=$(find_window '^O programie$') || fail "the About box did not open"
sleep 1
screenshot "$about" "$out/windows-about.png"
xdotool windowfocus --sync "$about"
xdotool key Escape
for _ in $(seq 50); do xdotool search --onlyvisible --name '^O programie$' >/dev/null || break; sleep 0.1; done
xdotool search --onlyvisible --name '^O programie$' >/dev/null && fail "Escape did not close the About box"

# Koniec ends the program, with status 0.
click 428 84
for _ in $(seq 100); do kill -0 "$tarvel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$tarvel_pid" 2>/dev/null && fail "Koniec did not end the program"
status=0
wait "$tarvel_pid" || status=$?
tarvel_pid=''
[ "$status" = 0 ] || fail "tarvel.exe ended with status $status"

# Started with the form's path: the form picked, its name proposed, so Konwertuj converts it at once.
rm -f "$forms/Menü.rc"
wine "$tarvel_exe" "C:\\$folder_name\\Zażółć\\Menü.frm" >>"$work/tarvel.log" 2>&1 &
tarvel_pid=$!
main=$(find_window '^Tarvel to RC file$') || fail "no window when started with a form"
sleep 1
screenshot "$main" "$out/windows-started-with-form.png"
click 428 20
for _ in $(seq 100); do [ -s "$forms/Menü.rc" ] && break; sleep 0.1; done
cmp "$forms/Menü.rc" "$work/expected.rc" || fail "started with the form, Konwertuj did not write its RC file"

# A form dropped on the window, as from Explorer: the same.
mkdir -p "$WINEPREFIX/drive_c/$folder_name/Upuszczone"
cp "$form" "$WINEPREFIX/drive_c/$folder_name/Upuszczone/Drugi.frm"
wine "$driver_exe" drop 'Tarvel to RC file' "C:\\$folder_name\\Upuszczone\\Drugi.frm" || fail "could not drop the form"
sleep 1
click 428 20
dropped="$WINEPREFIX/drive_c/$folder_name/Upuszczone/Drugi.rc"
for _ in $(seq 100); do [ -s "$dropped" ] && break; sleep 0.1; done
cmp "$dropped" "$work/expected.rc" || fail "a dropped form was not converted beside it"
click 428 84
for _ in $(seq 100); do kill -0 "$tarvel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$tarvel_pid" 2>/dev/null && fail "Koniec did not end the program started with a form"
tarvel_pid=''

# A name that is no form: its message, over the window as it starts without it.
wine "$tarvel_exe" "C:\\$folder_name\\brak.frm" >>"$work/tarvel.log" 2>&1 &
tarvel_pid=$!
message=$(find_window '^Błąd$') || fail "no message for a form that is not there"
sleep 0.5
screenshot "$message" "$out/windows-no-such-form.png"
xdotool windowfocus --sync "$message"
xdotool key Return
main=$(find_window '^Tarvel to RC file$') || fail "no window after the message"
click 428 84
for _ in $(seq 100); do kill -0 "$tarvel_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$tarvel_pid" 2>/dev/null && fail "Koniec did not end the program after the message"
tarvel_pid=''
echo "PASS: window, conversion to a file and to the clipboard, About box, Koniec, the shell's icons, the focus," \
    "a form at start and dropped, a name that is no form; screenshots in $out"
