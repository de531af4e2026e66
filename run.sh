#!/usr/bin/env bash
# Builds the tool in Release and starts it: ./run.sh [video [registration [save [load]]]]
# With no argument it opens the built-in demo match.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" -j"$(nproc)" --target annotate
if [ $# -eq 0 ]; then
  echo "No video given. Usage: ./run.sh video [registration [save [load]]]"
  exit 2
fi
exec "$here/build/annotate" "$@"
