#!/usr/bin/env bash
# The sanitizer suite and a short fuzz run:
#   1. the asan preset: the whole unit and window test suite under
#      AddressSanitizer and UndefinedBehaviorSanitizer;
#   2. the fuzz preset: about a minute of libFuzzer over the test forms, the
#      hand-written seeds and the real forms of ../shared/corpus when present.
# Fails on any finding. An input that fails the fuzz run is minimized and saved
# in fuzz/regressions/ for a human to look at and commit.
# FUZZ_SECONDS overrides the length of the fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds="${FUZZ_SECONDS:-60}"

echo "== sanitizers: build-asan"
cmake --preset asan
cmake --build --preset asan
ctest --preset asan

echo "== fuzzing: build-fuzz, ${fuzz_seconds} s"
cmake --preset fuzz
cmake --build --preset fuzz
fuzzer=build-fuzz/bin/tarvel_fuzz_conversion

# New inputs the fuzzer finds stay in build-fuzz; the seed folders are only read.
work=build-fuzz/fuzz-corpus
artifacts=build-fuzz/fuzz-artifacts
mkdir -p "$work" "$artifacts"
rm -f "$artifacts"/*
seeds=(fuzz/seeds examples)
for d in tests/cli/data tests/packaging; do [ -d "$d" ] && seeds+=("$d"); done
corpus="$(cd .. && pwd)/shared/corpus"
if [ -d "$corpus" ]; then
  seeds+=("$corpus")
else
  echo "no real forms at $corpus: fuzzing from the project's own forms only"
fi

# Old findings first: a fuzz run is pointless while one of them still fails.
build-fuzz/bin/tarvel_replay_fuzz_regressions fuzz/regressions

status=0
"$fuzzer" -max_total_time="$fuzz_seconds" -dict=fuzz/form.dict -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" "${seeds[@]}" || status=$?

found=("$artifacts"/*)
if [ "$status" -ne 0 ] || [ -e "${found[0]}" ]; then
  for input in "${found[@]}"; do
    [ -e "$input" ] || continue
    saved="fuzz/regressions/$(basename "$input")"
    # A minimized input is easier to read and carries little of the form it grew from.
    "$fuzzer" -minimize_crash=1 -max_total_time=30 -exact_artifact_path="$saved" "$input" >/dev/null 2>&1 ||
      cp "$input" "$saved"
    [ -s "$saved" ] || cp "$input" "$saved"
    echo "fuzz finding saved as $saved"
    "$fuzzer" "$saved" 2>&1 | grep -a -m1 -E 'tarvel conversion check failed|ERROR: (Address|Leak|libFuzzer)|runtime error' || true
  done
  echo "the fuzz run found a problem (exit $status)" >&2
  exit 1
fi
echo "== no findings"
