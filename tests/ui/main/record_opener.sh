#!/bin/sh
# Stands in for the desktop's web opener: each start leaves one file in the
# folder named by TARVEL_OPENER_RECORD, holding the number of arguments and then
# each argument on its own line. The rename makes a half-written file invisible.
set -eu
out="$TARVEL_OPENER_RECORD/$$"
{ printf '%s\n' "$#"; for argument in "$@"; do printf '%s\n' "$argument"; done; } > "$out.part"
mv "$out.part" "$out.call"
