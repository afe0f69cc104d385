#!/usr/bin/env bash
# Builds the library, the stand-in service and the demo, then runs the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_deps.sh demo
cmake --preset default >/dev/null
cmake --build --preset default --target demo
