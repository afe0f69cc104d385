#!/usr/bin/env bash
# cmake --install after part of the tree was built: it must say what to build
# and install nothing, and after the README's demo command it must work.
# Usage: check_install_after_demo.sh SOURCE_DIR WORK_DIR
set -u
src=$1 work=$2
fail=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; fail=1; }
rm -rf "$work"
mkdir -p "$work"
build=$work/build prefix=$work/prefix log=$work/log
cmake -S "$src" -B "$build" -DOLVAN_BUILD_TESTS=OFF >"$log" 2>&1 || { cat "$log"; echo "FAIL: configure"; exit 1; }

# Only the bridge built: nothing may be installed, and the message says what to do.
cmake --build "$build" --target olvanjnidravix -j2 >"$log" 2>&1 || { cat "$log"; echo "FAIL: build"; exit 1; }
if cmake --install "$build" --prefix "$prefix" >"$log" 2>&1; then
  bad "an install after a partial build succeeded"
fi
# CMake folds the message to its width: compare it unfolded.
tr -s ' \n' ' ' <"$log" | grep -q "Nothing installed: .* has not been built. Build first (cmake --build <build folder>" &&
  ok "a partial build's install says what to build" || { cat "$log"; bad "the install's message"; }
[ ! -e "$prefix" ] && ok "nothing was installed" || bad "a half-made installation: $(find "$prefix" -type f | tr '\n' ' ')"

# What the demo command builds is enough for every component.
cmake --build "$build" --target demo -j2 >"$log" 2>&1 || { cat "$log"; echo "FAIL: the demo"; exit 1; }
for component in "" standin maven; do
  if cmake --install "$build" --prefix "$prefix" ${component:+--component $component} >"$log" 2>&1; then
    ok "cmake --install ${component:+--component $component }after the demo"
  else
    cat "$log"
    bad "cmake --install ${component:+--component $component }after the demo"
  fi
done
for file in lib/olvan-dravix/libolvanjnidravix.so lib/olvan-dravix/olvan-dravix-1.0.pom \
            lib/olvan-dravix/libolvandravix.so share/maven-repo/com/olvan/olvan-dravix/1.0/olvan-dravix-1.0.jar.sha1; do
  [ -f "$prefix/$file" ] || bad "missing after install: $file"
done
rm -rf "$work"
exit $fail
