#!/usr/bin/env bash
# What a user's configure of this tree compiles the bridge with: warnings that
# never fail the build unless asked, hardening unless turned off.
# Usage: check_build_flags.sh SOURCE_DIR WORK_DIR
set -u
src=$1 work=$2
mkdir -p "$work"
source "$(dirname "$0")/check.sh"

# The compile line of one bridge source in a fresh configure with the given options.
bridge_line() {
  local dir=$work/$1
  shift
  rm -rf "$dir"
  cmake -S "$src" -B "$dir" -DOLVAN_BUILD_TESTS=OFF -DOLVAN_BUILD_DEMO=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "$@" >"$dir.log" 2>&1 || { cat "$dir.log"; echo "FAIL: configure $*"; exit 1; }
  grep '"command"' "$dir/compile_commands.json" | grep 'bridge/raise.cpp'
}

plain=$(bridge_line plain)
check "a plain configure warns" "grep -q -- ' -Wall' <<<\"\$plain\""
check "a plain configure does not make warnings errors" "! grep -q -- '-Werror' <<<\"\$plain\""
check "the bridge has the stack protector" "grep -q -- '-fstack-protector-strong' <<<\"\$plain\""
check "the bridge has _FORTIFY_SOURCE=2" "grep -q -- '-D_FORTIFY_SOURCE=2' <<<\"\$plain\""

strict=$(bridge_line strict -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
check "CMAKE_COMPILE_WARNING_AS_ERROR makes warnings errors" "grep -q -- '-Werror' <<<\"\$strict\""

soft=$(bridge_line soft -DOLVAN_HARDEN=OFF)
check "OLVAN_HARDEN=OFF drops the hardening" \
  "! grep -q -- '-fstack-protector-strong\\|_FORTIFY_SOURCE' <<<\"\$soft\""
rm -rf "$work"
exit $fail
