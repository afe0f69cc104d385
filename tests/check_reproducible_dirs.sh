#!/usr/bin/env bash
# The cheap form of tools/check-reproducible.sh that CI runs: the bridge and
# the API jar built from these sources in two build folders of different names
# and depths, one after the other, must be the same bytes.
# Usage: check_reproducible_dirs.sh SOURCE_DIR WORK_DIR VERSION [CMAKE_ARGS...]
set -u
source=$1 work=$2 version=$3
shift 3
rm -rf "$work"
mkdir -p "$work"
for dir in one elsewhere/deeper/two; do
  if ! { cmake -S "$source" -B "$work/$dir" -DOLVAN_BUILD_TESTS=OFF -DOLVAN_BUILD_DEMO=OFF \
           -DOLVAN_BUILD_TESTKIT=OFF "$@" >"$work/configure.log" 2>&1 &&
         cmake --build "$work/$dir" -j2 --target olvanjnidravix olvan-dravix >"$work/build.log" 2>&1; }; then
    cat "$work/configure.log" "$work/build.log"
    echo "FAIL: the build in $work/$dir"
    exit 1
  fi
done
fail=0
for file in lib/libolvanjnidravix.so lib/olvan-dravix-$version.jar; do
  if cmp "$work/one/$file" "$work/elsewhere/deeper/two/$file"; then
    echo "ok: $file is the same from both build folders"
  else
    echo "FAIL: $file differs between $work/one and $work/elsewhere/deeper/two"
    fail=1
  fi
done
[ $fail -eq 0 ] && rm -rf "$work"
exit $fail
