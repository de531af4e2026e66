#!/usr/bin/env bash
# Runs a command on the display the "xvfb" test fixture recorded, or on the
# caller's DISPLAY when the fixture file is absent (a test run by hand).
set -u
file=${ANNOTATE_DISPLAY_FILE:-}
if [ -n "$file" ] && [ -f "$file" ]; then
  read -r display _ <"$file"
  export DISPLAY=$display
fi
if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run through ctest, which starts Xvfb, or set DISPLAY" >&2
  exit 1
fi
exec "$@"
