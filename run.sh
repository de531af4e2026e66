#!/usr/bin/env bash
# Builds the tool in Release and starts it: ./run.sh [video [registration [save [load]]]]
# With no argument it opens the built-in demo match, generated once into the build
# folder (and again whenever the generator is newer than the files); there "save"
# writes demo-annotations.dat and "load" first shows the ground truth.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="$here/build"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$build" -j"$(nproc)" --target annotate
  exec "$build/annotate" "$@"
fi

cmake --build "$build" -j"$(nproc)" --target annotate demo_generator
demo_files="demo.avi demo.reg demo-groundtruth.dat"
stale=no
for name in $demo_files; do
  if [ ! -s "$build/$name" ] || [ "$build/demo_generator" -nt "$build/$name" ]; then
    stale=yes
  fi
done
if [ $stale = yes ]; then
  echo "Generating the demo match in $build (about half a minute)"
  # Written aside and moved in only when complete, so an interrupted run is redone.
  rm -rf "$build/demo.partial"
  "$build/demo_generator" "$build/demo.partial"
  for name in $demo_files; do mv -f "$build/demo.partial/$name" "$build/$name"; done
  rmdir "$build/demo.partial"
fi
cd "$build"
exec ./annotate demo.avi demo.reg demo-annotations.dat demo-groundtruth.dat
