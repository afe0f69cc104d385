#!/usr/bin/env bash
# Runs the soak program against the libraries in LIBDIR. A fixed, pre-touched
# Java heap keeps the JVM's own growth out of the resident-memory figures.
# Under -Xcheck:jni any complaint of the checker fails the run.
# Usage: run_soak.sh JAVA LIBDIR API_JAR [JVM options...] -- [soak options...]
# OLVAN_JDK_OPTIONS, if set, are passed to the JVM too.
set -u
java=$1 libdir=$2 api_jar=$3
shift 3
jvm=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  jvm+=("$1")
  shift
done
[ $# -gt 0 ] && shift
# In a sanitizer build the runtimes are preloaded into the JVM, and resident
# memory is reported but not judged: ASan's quarantine grows by design, and
# LSan checks for leaks at exit instead.
launch=()
if [ -n "${OLVAN_SANITIZER_PRELOAD:-}" ]; then
  launch=("$(dirname "$0")/../tests/sanitizer/sanitized.sh")
  set -- "$@" --growth-limit-kib 0
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"${launch[@]}" "$java" ${OLVAN_JDK_OPTIONS:-} -Xms256m -Xmx256m -XX:+AlwaysPreTouch -XX:+UseSerialGC "${jvm[@]}" \
  -Djava.library.path="$libdir" -cp "$api_jar:$libdir/olvan-dravix-soak.jar" \
  com.olvan.dravix.soak.Soak "$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
"$(dirname "$0")/../tests/check_jvm_output.sh" "$out" || exit 1
exit "$status"
