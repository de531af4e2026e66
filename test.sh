#!/usr/bin/env bash
# Installs what is missing, builds and runs every test twice: in the normal
# build and in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
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
if [ $status -ne 0 ]; then
  echo "TESTS FAILED"
else
  echo "ALL TESTS PASSED"
fi
exit $status
