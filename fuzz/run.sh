#!/usr/bin/env bash
# fuzz/run.sh TARGET|all SECONDS [libFuzzer options...]
#
# Runs a fuzz target (gif_doc, bmp, clip_item, clip_bitmap, palette_file) or all of them for
# SECONDS each, with the memory limits the editor promises to keep: no input may make it use
# more than 2 GiB, nor ask for more than 2 GiB at once. "all" runs as many targets at a time as
# there are processors (KORVANTA_FUZZ_JOBS overrides).
#
# The targets must be built first (see fuzz/README.md) in KORVANTA_FUZZ_BUILD (default
# build-fuzz). Everything the runs keep lives in KORVANTA_FUZZ_WORK (default
# $KORVANTA_FUZZ_BUILD/fuzz-work): seeds/ (made once by make_seeds.sh), corpus/TARGET (what the
# fuzzer found worth keeping; later runs start from it), artifacts/TARGET (inputs that crashed,
# hung or went over the limits), logs/, and history.log, one line per run with its time,
# executions, coverage and peak memory. The exit status is 0 when no target found anything.
set -euo pipefail

all_targets=(gif_doc bmp clip_item clip_bitmap palette_file)
usage() {
  echo "usage: fuzz/run.sh TARGET|all SECONDS [libFuzzer options...]" >&2
  echo "targets: ${all_targets[*]}" >&2
  exit 2
}
[ $# -ge 2 ] || usage
which=$1
seconds=$2
shift 2
[[ $seconds =~ ^[0-9]+$ ]] || usage
extra=("$@")

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${KORVANTA_FUZZ_BUILD:-$root/build-fuzz}")
work=$(realpath -m "${KORVANTA_FUZZ_WORK:-$build/fuzz-work}")
jobs=${KORVANTA_FUZZ_JOBS:-$(nproc)}
# Seconds one input may take before it counts as a hang.
timeout=${KORVANTA_FUZZ_TIMEOUT:-10}

if [ "$which" = all ]; then
  targets=("${all_targets[@]}")
else
  [[ " ${all_targets[*]} " == *" $which "* ]] || usage
  targets=("$which")
fi
for t in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$t" ] || { echo "fuzz/run.sh: $build/fuzz/fuzz_$t is not built (see fuzz/README.md)" >&2; exit 2; }
done

mkdir -p "$work"/{corpus,artifacts,logs,status}
if [ ! -d "$work/seeds" ]; then
  "$root/fuzz/make_seeds.sh" "$work/seeds.tmp" "$build/fuzz/korvanta-fuzz-clip-seeds"
  mv "$work/seeds.tmp" "$work/seeds"
fi

dictionary() {
  case $1 in
    bmp | clip_bitmap) echo "$root/fuzz/bmp.dict" ;;
    *) echo "$root/fuzz/gif.dict" ;;
  esac
}

run_one() {
  local t=$1
  local log=$work/logs/$t.log
  mkdir -p "$work/corpus/$t" "$work/artifacts/$t"
  local start end status
  start=$(date +%s)
  set +e
  (cd "$work/artifacts/$t" &&
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 \
      -timeout="$timeout" -dict="$(dictionary "$t")" -artifact_prefix="$work/artifacts/$t/" \
      -print_final_stats=1 "${extra[@]}" "$work/corpus/$t" "$work/seeds/$t") >"$log" 2>&1
  status=$?
  set -e
  end=$(date +%s)
  local execs rss progress cov ft
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
  progress=$(grep -E '^#[0-9]+' "$log" | grep ' cov: ' | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$progress")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$progress")
  local line
  line="$(date -u +%Y-%m-%dT%H:%M:%SZ) target=$t seconds=$((end - start)) execs=${execs:-?} cov=${cov:-?} ft=${ft:-?} peak_rss_mb=${rss:-?} status=$status"
  echo "$line" >>"$work/history.log"
  echo "$line"
  if [ "$status" -ne 0 ]; then
    echo "fuzz/run.sh: fuzz_$t found a problem; the input is in $work/artifacts/$t/, the report:" >&2
    grep -E -A30 'ERROR: |fuzz invariant broken|runtime error:|==[0-9]+== ?ERROR|out-of-memory|timeout' "$log" | head -60 >&2 || tail -40 "$log" >&2
  fi
  echo "$status" >"$work/status/$t"
}

for t in "${targets[@]}"; do
  rm -f "$work/status/$t"
  run_one "$t" &
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
done
wait

failed=0
for t in "${targets[@]}"; do
  [ "$(cat "$work/status/$t" 2>/dev/null || echo 1)" = 0 ] || failed=1
done
exit $failed
