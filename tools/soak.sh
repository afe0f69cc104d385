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
# shellcheck source=/dev/null
. "$dir/olvan-tools.env"
exec soak/run_soak.sh "$OLVAN_JAVA" "$OLVAN_LIB_DIR" "$OLVAN_API_JAR" -Xcheck:jni -- --cycles "$cycles"
