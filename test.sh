#!/usr/bin/env bash
# Installs what is missing, builds and runs every test twice: in the normal
# build and in a build with AddressSanitizer and UndefinedBehaviorSanitizer;
# then the tests of code with threads of its own (the video source's decoding, the
# recovery copy's writer) once more under ThreadSanitizer; then builds the fuzzing harnesses with
# clang and runs each for a short smoke.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/install-deps.sh"
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S "$here" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs")
}

status=0
run_suite "$here/build" -DCMAKE_BUILD_TYPE=Release || status=1
run_suite "$here/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DANNOTATE_SANITIZE=ON || status=1
# commands_tests drives the export worker, the recovery writer, decoding ahead and the
# tracker together, as the program does.
tsan_tests="frame_cache_tests video_source_tests recovery_writer_tests commands_tests"
{ cmake -S "$here" -B "$here/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DANNOTATE_THREAD_SANITIZE=ON >/dev/null &&
    cmake --build "$here/build-tsan" -j"$jobs" --target $tsan_tests &&
    (cd "$here/build-tsan" && ctest --output-on-failure -R "^(${tsan_tests// /|})\$"); } ||
  status=1
"$here/scripts/fuzz.sh" all 20 || status=1
if [ $status -ne 0 ]; then
  echo "TESTS FAILED"
else
  echo "ALL TESTS PASSED"
fi
exit $status
