#!/usr/bin/env bash
# Builds the configuration text fuzzer with clang (AddressSanitizer,
# UndefinedBehaviorSanitizer, libFuzzer) in a build directory of its own and
# runs it for the given number of seconds on the seed corpus in fuzz/corpus.
# Inputs the run finds interesting go to BUILD_DIR/corpus, never into the
# repository; a crash leaves its input in BUILD_DIR/artifacts and fails.
# Usage: fuzz/run.sh SECONDS [BUILD_DIR]      (default build/fuzz-clang)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seconds=${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}
build=${2:-$here/../build/fuzz-clang}
cxx=${OLVAN_CLANGXX:-$(command -v clang++)}
mkdir -p "$build/corpus" "$build/artifacts"
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
cd "$build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ./config_text_fuzzer -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -dict="$here/config_text.dict" -artifact_prefix="$build/artifacts/" \
  "$build/corpus" "$here/corpus"
