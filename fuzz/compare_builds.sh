#!/usr/bin/env bash
# Runs the seed corpus and COUNT random texts through two builds of the
# decoder (each checks itself against the reference) and requires the same
# digest of all they answered from both. OLVAN_EMULATOR, if set, runs them
# (a cross build's).
# Usage: compare_builds.sh RUN_A RUN_B CORPUS_DIR COUNT
set -euo pipefail
read -ra emulator <<<"${OLVAN_EMULATOR:-}"
a=$("${emulator[@]}" "$1" "$3" "$4")
b=$("${emulator[@]}" "$2" "$3" "$4")
echo "$(basename "$1"): $a"
echo "$(basename "$2"): $b"
[ "${a##*digest }" = "${b##*digest }" ] || { echo "FAIL: the two builds decode differently"; exit 1; }
echo "ok: the two builds agree byte for byte"
