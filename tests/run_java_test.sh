#!/usr/bin/env bash
# Runs JUnit test classes in a JVM with -Xcheck:jni. Any complaint of the JNI
# checker fails the run, even when every test passed: such a line is a defect
# in native code, never noise.
# Any JDK warning line fails it too. OLVAN_JDK_OPTIONS (options the JDK under
# test needs) and OLVAN_JAVA_OPTIONS (options of the test) go to the JVM.
# Usage: run_java_test.sh JAVA LIBDIR CLASSPATH CONSOLE_JAR [console options...]
set -u
java=$1 libdir=$2 classpath=$3 console=$4
shift 4
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# In a sanitizer build the JVM gets the sanitizer runtimes (sanitizer/sanitized.sh).
"$(dirname "$0")/sanitizer/sanitized.sh" "$java" -Xcheck:jni -Djava.library.path="$libdir" ${OLVAN_JDK_OPTIONS:-} ${OLVAN_JAVA_OPTIONS:-} \
  -jar "$console" --class-path "$classpath" --disable-banner --details=tree \
  --fail-if-no-tests --disable-ansi-colors "$@" >"$out" 2>&1
status=$?
cat "$out"
"$(dirname "$0")/check_jvm_output.sh" "$out" || exit 1
# A sanitizer report fails the run whatever the exit status says: options from
# the environment may make the sanitizers recover or change their exit codes.
if [ -n "${OLVAN_SANITIZER_PRELOAD:-}" ] &&
   grep -q -E 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:' "$out"; then
  echo "FAILED: a sanitizer reported a problem (lines above)"
  exit 1
fi
exit $status
