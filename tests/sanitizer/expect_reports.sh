#!/usr/bin/env bash
# Proves, in a sanitizer build, that the Java test runner fails a run in which
# our native code leaks, overflows a heap block or hits undefined behaviour,
# and that the report names our frame (a JVM suppression did not swallow it).
# Each defect runs alone in its own JVM through the real runner.
# Usage: expect_reports.sh RUNNER JAVA LIBDIR CLASSPATH CONSOLE_JAR
set -u
runner=$1
shift
fail=0
probe() {
  local method=$1 report=$2 ours=$3 out status
  shift 3
  out=$("$runner" "$@" --include-classname '.*' \
    --select-method "com.olvan.dravix.faults.SanitizerProbeCheck#$method" 2>&1)
  status=$?
  local problems=()
  [ $status -ne 0 ] || problems+=("the runner passed")
  grep -q -F "$report" <<<"$out" || problems+=("no '$report'")
  grep -q -F "$ours" <<<"$out" || problems+=("'$ours' not named in the report")
  grep -q -F "FAILED: a sanitizer reported" <<<"$out" || problems+=("the runner did not name the sanitizer")
  grep -q -F "let a" <<<"$out" && problems+=("the defect was not stopped")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok: $method: reported and failed"
  else
    echo "$out"
    printf 'FAIL: %s: %s\n' "$method" "${problems[@]}"
    fail=1
  fi
}
probe leak "ERROR: LeakSanitizer" "Java_com_olvan_dravix_faults_NativeProbe_leakHeap" "$@"
probe heapOverflow "ERROR: AddressSanitizer: heap-buffer-overflow" \
  "Java_com_olvan_dravix_faults_NativeProbe_readPastEnd" "$@"
probe signedOverflow "runtime error: signed integer overflow" "native_probe.cpp" "$@"
exit $fail
