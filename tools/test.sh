#!/usr/bin/env bash
# Builds everything and runs every test: the C++ suites and the Java suites
# (each in a JVM under -Xcheck:jni). CTest prints its summary last.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
