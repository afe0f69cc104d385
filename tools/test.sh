#!/usr/bin/env bash
# Builds everything and runs every test: the C++ suites and the Java suites
# (each in a JVM under -Xcheck:jni), first in the plain build, then in the
# sanitizer build (preset asan: ASan and UBSan, the Java suite in a JVM with
# the runtimes preloaded), then the text conversion alone built without
# vector units (preset text-scalar), then cross-built for linux-aarch64 and
# run under emulation (tools/test-aarch64.sh). A failure stops it at once; the summary
# of the last CTest run prints last.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_deps.sh test
cmake --preset default
cmake --build --preset default
ctest --preset default
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
cmake --preset text-scalar
cmake --build --preset text-scalar
ctest --preset text-scalar
tools/test-aarch64.sh
