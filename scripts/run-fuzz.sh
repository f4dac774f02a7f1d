#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build, one after the other, each for
# FUZZ_SECONDS, then replays what it found with the tighter bounds an input
# must keep (1 s, 256 MB). Prints one line per target and exits non-zero
# when any target found a fault.
#
#   scripts/run-fuzz.sh build-fuzz [target...]
set -uo pipefail

build=${1:?build folder}
shift
seconds=${FUZZ_SECONDS:-300}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
seeds="$source_dir/tests/fuzz/corpus"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$seeds"/*/; do
    targets+=("$(basename "$dir")")
  done
fi

stat() { # stat name log
  grep -o "stat::$1: *[0-9]*" "$2" | tail -1 | grep -o '[0-9]*$' || echo 0
}

# A smaller quarantine keeps the sanitizer's own memory out of the 1 GB
# limit on long runs; a use after free still shows.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

failed=0
summary=()
for target in "${targets[@]}"; do
  exe="$build/tests/fuzz/fuzz_$target"
  if [ ! -x "$exe" ]; then
    echo "fuzz_$target: introuvable dans $build" >&2
    failed=1
    continue
  fi
  # Inputs the run adds stay in the build folder; the seeds are only read.
  work="$build/fuzz-corpus/$target"
  findings="$build/fuzz-findings/$target"
  mkdir -p "$work" "$findings"
  log="$build/fuzz-$target.log"
  echo "== fuzz_$target: $seconds s"
  "$exe" -max_total_time="$seconds" -rss_limit_mb=1024 -malloc_limit_mb=256 -timeout=2 \
    -max_len=65536 -report_slow_units=1 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "$seeds/$target" >"$log" 2>&1
  rc=$?
  runs=$(stat number_of_executed_units "$log")
  speed=$(stat average_exec_per_sec "$log")
  rss=$(stat peak_rss_mb "$log")
  # Everything kept, replayed once with the bounds of a single input.
  "$exe" -runs=0 -timeout=1 -malloc_limit_mb=256 -rss_limit_mb=1024 -max_len=65536 \
    -artifact_prefix="$findings/" "$work" "$seeds/$target" >"$log.replay" 2>&1
  replay_rc=$?
  # A unit over 1 s is kept for a look, not counted as a fault: on a loaded
  # machine the clock also counts other programs' time. A unit over the
  # 2 s limit stops the run and is a fault.
  slow=$(find "$findings" -type f -name 'slow-unit-*' | wc -l)
  found=$(find "$findings" -type f ! -name 'slow-unit-*' | wc -l)
  verdict="aucun défaut"
  if [ $rc -ne 0 ] || [ $replay_rc -ne 0 ] || [ "$found" -gt 0 ]; then
    verdict="DÉFAUT ($found entrée(s) dans $findings, voir $log)"
    failed=1
  fi
  summary+=("$(printf '%-12s %6s s %12s exécutions %9s exéc/s %6s Mo max %3s lente(s)  %s' \
    "$target" "$seconds" "$runs" "$speed" "$rss" "$slow" "$verdict")")
  echo "${summary[-1]}"
done

echo
echo "Résumé (FUZZ_SECONDS=$seconds)"
printf '%s\n' "${summary[@]}"
exit $failed
