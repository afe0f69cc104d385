#!/usr/bin/env bash
# Runs the test kit's own tests (StandInTest) where its users' CI images stand:
# in a minimal Debian 11 root (glibc 2.31, GCC 10's C++ runtime, both older than
# this machine's) with that release's OpenJDK 17, under -Xcheck:jni, on the kit
# jar of a build (OLVAN_BUILD_DIR, build/ by default: tools/test.sh or
# cmake --build --preset default makes it). The root is removed at the end.
# Needs root and the Debian archive; takes about three minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${OLVAN_BUILD_DIR:-build}
jars=("$build/lib/olvan-dravix-1.0.jar" "$build/lib/olvan-dravix-testkit-1.0.jar"
  "$build/testkit/olvan-dravix-testkit-tests.jar" /usr/share/java/junit-platform-console-standalone.jar)
for jar in "${jars[@]}"; do
  [ -f "$jar" ] || { echo "$jar is missing: build first (tools/test.sh)" >&2; exit 1; }
done
# shellcheck source=tools/debian_root.sh
. tools/debian_root.sh
debian_root bullseye
echo "== OpenJDK 17 of Debian 11"
in_root "apt-get install -y -qq --no-install-recommends openjdk-17-jre-headless >/dev/null"
mkdir "$root/kit"
cp "${jars[@]}" "$root/kit/"
in_root "ldd --version | head -1; ls /usr/lib/x86_64-linux-gnu/libstdc++.so.6.*; java -version 2>&1 | head -1"
echo "== StandInTest"
in_root "cd /kit && java -Xcheck:jni -jar junit-platform-console-standalone.jar --disable-banner --disable-ansi-colors \
  -cp olvan-dravix-1.0.jar:olvan-dravix-testkit-1.0.jar:olvan-dravix-testkit-tests.jar \
  --select-class com.olvan.dravix.testkit.StandInTest" >"$root/kit.out" 2>&1 || status=$?
cat "$root/kit.out"
tests/check_jvm_output.sh "$root/kit.out"
exit "${status:-0}"
