#!/usr/bin/env bash
# Fails (exit 1, naming the cause) when a JVM's output holds a complaint of the
# JNI checker or a warning of the JDK itself ("WARNING: ..." lines such as the
# restricted-method warning, "VM warning:" lines). Each is a defect to fix,
# never noise: a user would see the same line.
# Usage: check_jvm_output.sh FILE
set -u
out=$1
if grep -q -E 'WARNING in native method|JNI local refs|FATAL ERROR in native method' "$out"; then
  echo "FAILED: the JNI checker reported a problem (lines above)"
  exit 1
fi
if grep -q -E '^WARNING: |VM warning:' "$out"; then
  echo "FAILED: the JDK printed a warning (lines above):"
  grep -E '^WARNING: |VM warning:' "$out" | head -5
  exit 1
fi
exit 0
