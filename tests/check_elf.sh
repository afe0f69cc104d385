#!/usr/bin/env bash
# Checks what the dynamic loader and the JVM will see of the bridge library.
set -u
lib=$1
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; else echo "ok: $1"; fi; }
dyn=$(readelf -d "$lib")
check "SONAME is the file name" "grep -q 'Library soname: \[libolvanjnidravix.so\]' <<<\"\$dyn\""
check "RPATH is exactly \$ORIGIN" "grep -q 'Library rpath: \[\$ORIGIN\]' <<<\"\$dyn\""
check "no RUNPATH" "! grep -q RUNPATH <<<\"\$dyn\""
for needed in libjvm.so libolvandravix.so libolvandds.so; do
  check "NEEDED $needed" "grep -q 'Shared library: \[$needed\]' <<<\"\$dyn\""
done
check "no JNI_OnLoad" "! nm -D --defined-only '$lib' | grep -q JNI_OnLoad"
exports=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
others=$(grep -v '^Java_com_olvan_dravix_' <<<"$exports")
check "only JNI exports are visible (others: ${others//$'\n'/ })" "[ -z \"\$others\" ]"
check "all eleven JNI exports present" "[ \$(grep -c '^Java_com_olvan_dravix_' <<<\"\$exports\") -eq 11 ]"
exit $fail
