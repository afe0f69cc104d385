#!/usr/bin/env bash
# Builds everything and runs the full soak under the JNI checker: 1,000,000
# full cycles on one thread after a warm-up (resident memory sampled every
# 50,000; growth must stay under 2 MiB), then eight threads with their own
# objects and eight threads sharing one service, each phase ending with the
# stand-in's ledger at zero. Prints its figures; exits non-zero on failure.
# Usage: tools/soak.sh [CYCLES]     OLVAN_BUILD_DIR=dir builds there instead of build/
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-1000000}
tools/ensure_deps.sh
if [ -n "${OLVAN_BUILD_DIR:-}" ]; then
  dir=$OLVAN_BUILD_DIR
  cmake -S . -B "$dir" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
else
  dir=build
  cmake --preset default >/dev/null
  cmake --build --preset default >/dev/null
fi
java=$(sed -n 's/^Java_JAVA_EXECUTABLE:[A-Z]*=//p' "$dir/CMakeCache.txt")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$dir/CMakeCache.txt")
exec soak/run_soak.sh "$java" "$dir/lib" "$dir/lib/olvan-dravix-$version.jar" -Xcheck:jni -- --cycles "$cycles"
