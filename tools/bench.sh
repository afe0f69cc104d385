#!/usr/bin/env bash
# Builds the bridge, the floor library and the benchmark, then measures every
# export against its floor (a few minutes). Pass --quick for a smoke run.
# Usage: tools/bench.sh [--jdk JDK_HOME] [benchmark options...]
#   --jdk names the JDK that runs the benchmark (default: the build's JDK);
#   the build itself always uses the build's JDK, so both runs time one jar.
# OLVAN_BUILD_DIR overrides the build directory (default: build), as for the other tools.
set -euo pipefail
cd "$(dirname "$0")/.."
jdk=
if [ "${1:-}" = --jdk ]; then
  jdk=$2
  shift 2
  [ -x "$jdk/bin/java" ] || { echo "tools/bench.sh: $jdk/bin/java is not there" >&2; exit 2; }
fi
tools/ensure_deps.sh
build=${OLVAN_BUILD_DIR:-build}
if [ "$build" = build ]; then
  cmake --preset default >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets="olvanjnidravix olvanbenchfloor olvan-dravix olvan-dravix-bench"
# The FFM peer, where the build found a JDK 22 or later to compile it.
if cmake --build "$build" --target help | grep olvan-dravix-bench-ffm >/dev/null; then
  targets="$targets olvan-dravix-bench-ffm"
fi
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets >/dev/null
# shellcheck source=/dev/null
. "$build/olvan-tools.env"
java=${jdk:+$jdk/bin/java}
java=${java:-$OLVAN_JAVA}
# Equal -Xms and -Xmx with the heap touched up front: heap growth must cost
# neither time nor resident memory inside a measurement. JDK 17 accepts the
# native access flag and ignores it.
exec "$java" --enable-native-access=ALL-UNNAMED -Xms2g -Xmx2g -XX:+AlwaysPreTouch -Djava.library.path="$OLVAN_LIB_DIR" \
  -cp "$OLVAN_BENCH_CLASSPATH" com.olvan.dravix.bench.DravixBench "$@"
