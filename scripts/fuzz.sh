#!/usr/bin/env bash
# Builds the fuzzing harnesses with clang in build-fuzz/ and runs them, each for
# the given time, after replaying its corpus: one after the other, or all at once
# at the lowest priority with --parallel (for long runs on a shared machine).
#
#   scripts/fuzz.sh [HARNESS|all [SECONDS]] [--parallel]   (default: all, 600 seconds each)
#
# Harnesses: tracking_file registration image_file video_source numbers command_line.
# The corpus each run grows is kept in build-fuzz/fuzz/corpus/HARNESS and replayed
# by the next run; the seeds are made anew by the build in build-fuzz/fuzz/seeds;
# fuzz/regressions/HARNESS keeps the inputs of past findings, replayed every run.
# A finding (crash, sanitizer report, leak, an input slower than 10 s, more than
# 512 MB resident or one allocation above 256 MB) stops the run: the input is saved
# in build-fuzz/fuzz/findings/HARNESS/ and the script exits with 1.
# Replay one input:  build-fuzz/HARNESS_fuzzer FILE
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
harnesses=(tracking_file registration image_file video_source numbers command_line)
parallel=false
niceness=0
arguments=()
for argument in "$@"; do
  if [ "$argument" = --parallel ]; then parallel=true; else arguments+=("$argument"); fi
done
which=${arguments[0]:-all}
seconds=${arguments[1]:-600}
if [ "$which" != all ] && [[ ! " ${harnesses[*]} " =~ " $which " ]]; then
  echo "unknown harness $which; one of: ${harnesses[*]} all" >&2
  exit 2
fi
[ "$which" = all ] || harnesses=("$which")

"$here/scripts/install-deps.sh"
build=$here/build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache
                                          -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DANNOTATE_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

# Runs one harness with its output in its log; the status is libFuzzer's.
run() {
  local harness=$1
  local corpus=$build/fuzz/corpus/$harness
  local findings=$build/fuzz/findings/$harness
  local log=$build/fuzz/logs/$harness.log
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  # stdout carries the readers' console lines; libFuzzer and the sanitizers
  # report on stderr, which goes to the log. A smaller quarantine of freed memory
  # keeps the resident size of a long run to what the readers hold.
  ASAN_OPTIONS=quarantine_size_mb=64 UBSAN_OPTIONS=print_stacktrace=1 \
    nice -n "$niceness" "$build/${harness}_fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=256 \
    -dict="$here/fuzz/dictionaries/$harness.dict" -close_fd_mask=1 \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    "$corpus" "$build/fuzz/seeds/$harness" \
    $([ -d "$here/fuzz/regressions/$harness" ] && echo "$here/fuzz/regressions/$harness") \
    >"$log" 2>&1
}

# Prints the line of one finished run; false when it found something.
report() {
  local harness=$1 succeeded=$2
  local corpus=$build/fuzz/corpus/$harness
  local log=$build/fuzz/logs/$harness.log
  if $succeeded; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    added=$(sed -n 's/^stat::new_units_added: *//p' "$log")
    echo "fuzz $harness: no finding in ${seconds} s, $runs inputs, $speed per second," \
         "$added new in the corpus ($(ls "$corpus" | wc -l) kept)"
    return 0
  fi
  echo "fuzz $harness: FINDING (log: $log)"
  grep -E "^(==[0-9]+==ERROR|SUMMARY|.*runtime error)|^(tracking file round trip|registration|image file|video source|numbers|command line): " \
    "$log" | head -5 || true
  grep -E "^(artifact_prefix|Test unit written)" "$log" | tail -1 || true
  return 1
}

status=0
if $parallel; then
  niceness=19
  declare -A pids
  for harness in "${harnesses[@]}"; do
    run "$harness" &
    pids[$harness]=$!
  done
  for harness in "${harnesses[@]}"; do
    succeeded=true
    wait "${pids[$harness]}" || succeeded=false
    report "$harness" $succeeded || status=1
  done
else
  for harness in "${harnesses[@]}"; do
    succeeded=true
    run "$harness" || succeeded=false
    report "$harness" $succeeded || status=1
  done
fi
exit $status
