#!/usr/bin/env bash
# fuzz/peak_memory.sh TARGET [COUNT]: runs the target on each input of its corpus (and its
# artifacts) in a process of its own and lists the COUNT inputs (default 10) with the highest
# peak resident memory, in MiB, with the time each took. The targets are built with the
# sanitizers, whose shadow memory and quarantine count too: the figures are upper bounds of what
# the editor itself needs for the same input.
set -euo pipefail
target=${1:?usage: fuzz/peak_memory.sh TARGET [COUNT]}
count=${2:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${KORVANTA_FUZZ_BUILD:-$root/build-fuzz}")
work=$(realpath -m "${KORVANTA_FUZZ_WORK:-$build/fuzz-work}")
binary=$build/fuzz/fuzz_$target
[ -x "$binary" ] || { echo "fuzz/peak_memory.sh: $binary is not built" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "fuzz/peak_memory.sh: needs GNU time (Debian package time)" >&2; exit 2; }

results=$(mktemp)
stats=$(mktemp)
trap 'rm -f "$results" "$stats"' EXIT
find "$work/corpus/$target" "$work/artifacts/$target" -type f 2>/dev/null | while read -r input; do
  # GNU time reports the peak resident set in KiB and the elapsed seconds.
  /usr/bin/time -o "$stats" -f '%M %e' "$binary" -rss_limit_mb=4096 -malloc_limit_mb=4096 "$input" \
    >/dev/null 2>&1 || true
  echo "$(tail -1 "$stats") $input" >>"$results"
done
echo "inputs: $(wc -l <"$results"); peak MiB, seconds, input:"
sort -rn "$results" | head -n "$count" | awk '{ printf "%8.1f %6.2f %s\n", $1 / 1024, $2, $3 }'
