#!/usr/bin/env bash
# Checks what the dynamic loader and the JVM will see of the bridge library.
set -u
# Usage: check_elf.sh [--hardened] [--machine NAME] BRIDGE [SERVICE_LIBRARY STRING_LIBRARY [ABSENT_NAME]]
# The NEEDED names default to the stand-ins'; ABSENT_NAME must not be NEEDED.
# --hardened: also full RELRO (a GNU_RELRO segment and BIND_NOW) and the stack
# protector in use.
# --machine NAME: readelf's name of the machine it must be built for.
hardened=0 machine=
while [ $# -gt 0 ]; do
  case $1 in
    --hardened) hardened=1; shift ;;
    --machine) machine=$2; shift 2 ;;
    *) break ;;
  esac
done
lib=$1 service=${2:-libolvandravix.so} strings=${3:-libolvandds.so} absent=${4:-}
source "$(dirname "$0")/check.sh"
dyn=$(readelf -d "$lib")
if [ -n "$machine" ]; then
  check "built for $machine" "readelf -h '$lib' | grep -Eq '^ *Machine: +$machine\$'"
fi
check "SONAME is the file name" "grep -q 'Library soname: \[libolvanjnidravix.so\]' <<<\"\$dyn\""
check "RPATH is exactly \$ORIGIN" "grep -q 'Library rpath: \[\$ORIGIN\]' <<<\"\$dyn\""
check "no RUNPATH" "! grep -q RUNPATH <<<\"\$dyn\""
for needed in libjvm.so "$service" "$strings"; do
  check "NEEDED $needed" "grep -q 'Shared library: \[$needed\]' <<<\"\$dyn\""
done
if [ -n "$absent" ]; then
  check "no NEEDED $absent" "! grep -q 'Shared library: \[$absent\]' <<<\"\$dyn\""
fi
check "no JNI_OnLoad" "! nm -D --defined-only '$lib' | grep -q JNI_OnLoad"
exports=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
others=$(grep -v '^Java_com_olvan_dravix_' <<<"$exports")
check "only JNI exports are visible (others: ${others//$'\n'/ })" "[ -z \"\$others\" ]"
check "all eleven JNI exports present" "[ \$(grep -c '^Java_com_olvan_dravix_' <<<\"\$exports\") -eq 11 ]"
if [ $hardened -eq 1 ]; then
  check "BIND_NOW (relocations resolved at load)" "grep -Eq '\(BIND_NOW\)|\(FLAGS_1\).*NOW' <<<\"\$dyn\""
  check "GNU_RELRO segment (with BIND_NOW: full RELRO)" "readelf -lW '$lib' | grep -q GNU_RELRO"
  check "stack protector in use" "readelf --dyn-syms -W '$lib' | grep -q ' __stack_chk_fail'"
fi
exit $fail
