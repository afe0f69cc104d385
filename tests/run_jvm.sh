#!/usr/bin/env bash
# Runs a JVM (through sanitized.sh, which preloads the sanitizers in a
# sanitizer build) with OLVAN_JDK_OPTIONS first, prints its output and fails
# if the JNI checker or the JDK complained (check_jvm_output.sh).
# Usage: run_jvm.sh JAVA [JVM arguments...]
set -u
java=$1
shift
here=$(dirname "$0")
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$here/sanitizer/sanitized.sh" "$java" ${OLVAN_JDK_OPTIONS:-} "$@" >"$out" 2>&1
status=$?
cat "$out"
"$here/check_jvm_output.sh" "$out" || exit 1
exit $status
