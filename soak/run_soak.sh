#!/usr/bin/env bash
# Runs the soak program against the libraries in LIBDIR. A fixed, pre-touched
# Java heap keeps the JVM's own growth out of the resident-memory figures.
# Under -Xcheck:jni any complaint of the checker fails the run.
# Usage: run_soak.sh JAVA LIBDIR [JVM options...] -- [soak options...]
set -u
java=$1 libdir=$2
shift 2
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
"${launch[@]}" "$java" -Xms256m -Xmx256m -XX:+AlwaysPreTouch -XX:+UseSerialGC "${jvm[@]}" \
  -Djava.library.path="$libdir" -cp "$libdir/olvan-dravix.jar:$libdir/olvan-dravix-soak.jar" \
  com.olvan.dravix.soak.Soak "$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if grep -q -E 'WARNING in native method|JNI local refs|FATAL ERROR in native method' "$out"; then
  echo "FAILED: the JNI checker reported a problem (lines above)"
  exit 1
fi
exit "$status"
