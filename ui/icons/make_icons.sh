#!/bin/sh
# Draws the program's icon, a small window whose menu drops down, in two
# 16-colour sizes, and the Windows icon that holds both. Run it from this
# folder to redraw tarvel-32.png, tarvel-16.png and tarvel.ico after changing
# the drawing; the build only uses these files.
set -eu
IM=${IM:-/usr/bin/convert}

"$IM" +antialias -size 32x32 xc:none \
  -fill white -stroke black -draw "rectangle 1,2 30,29" \
  -fill navy -stroke navy -draw "rectangle 2,3 29,7" \
  -fill white -stroke white -draw "rectangle 25,4 27,6" \
  -fill silver -stroke silver -draw "rectangle 2,8 29,11" \
  -fill black -stroke black -draw "rectangle 4,9 8,10" -draw "rectangle 12,9 17,10" -draw "rectangle 21,9 25,10" \
  -fill yellow -stroke black -draw "rectangle 11,11 24,27" \
  -fill navy -stroke navy -draw "rectangle 12,12 23,15" \
  -fill white -stroke white -draw "line 14,13 21,13" \
  -fill black -stroke black -draw "line 14,17 21,17" -draw "line 14,22 20,22" -draw "line 14,25 19,25" \
  -fill gray -stroke gray -draw "line 12,19 23,19" \
  -fill red -stroke maroon -draw "polygon 3,20 8,20 8,17 10,21 8,25 8,22 3,22" \
  -colors 16 PNG8:tarvel-32.png

"$IM" +antialias -size 16x16 xc:none \
  -fill white -stroke black -draw "rectangle 0,1 15,14" \
  -fill navy -stroke navy -draw "rectangle 1,2 14,3" \
  -fill silver -stroke silver -draw "rectangle 1,4 14,5" \
  -fill black -stroke black -draw "point 2,4" -draw "point 3,4" -draw "point 7,4" -draw "point 8,4" \
  -fill yellow -stroke black -draw "rectangle 6,5 13,14" \
  -fill navy -stroke navy -draw "rectangle 7,6 12,7" \
  -fill black -stroke black -draw "line 8,9 11,9" -draw "line 8,12 11,12" \
  -fill red -stroke red -draw "line 1,10 2,10" -draw "polygon 3,7 5,10 3,13" \
  -colors 16 PNG8:tarvel-16.png

# The directory list's folders: closed for a subdirectory, open for the way down to the one shown.
"$IM" +antialias -size 16x16 xc:none \
  -fill '#FFE080' -stroke '#806000' -draw "polygon 1,3 5,3 6,4 14,4 14,13 1,13" \
  -fill '#FFF0B0' -stroke '#FFF0B0' -draw "line 2,5 13,5" \
  -colors 16 PNG8:folder-closed-16.png

"$IM" +antialias -size 16x16 xc:none \
  -fill '#E0B040' -stroke '#806000' -draw "polygon 1,3 5,3 6,4 13,4 13,7 1,13" \
  -fill '#FFE080' -stroke '#806000' -draw "polygon 4,7 15,7 12,13 1,13" \
  -colors 16 PNG8:folder-open-16.png

# The same two images as the Windows icon that tarvel.exe carries.
"$IM" tarvel-32.png tarvel-16.png tarvel.ico
