#!/usr/bin/env bash
# Builds the bridge, the floor library and the benchmark, then measures every
# export against its floor (a few minutes). Pass --quick for a smoke run.
# BUILD_DIR overrides the build directory (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_deps.sh
build=${BUILD_DIR:-build}
if [ "$build" = build ]; then
  cmake --preset default >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target olvanjnidravix olvanbenchfloor olvan-dravix olvan-dravix-bench >/dev/null
lib=$build/lib
# Equal -Xms and -Xmx with the heap touched up front: heap growth must cost
# neither time nor resident memory inside a measurement.
exec java -Xms2g -Xmx2g -XX:+AlwaysPreTouch -Djava.library.path="$lib" \
  -cp "$lib/olvan-dravix.jar:$lib/olvan-dravix-bench.jar" com.olvan.dravix.bench.DravixBench "$@"
