#!/usr/bin/env bash
# The README's test-kit example as a user's Maven project runs it: Routes and
# RoutesTest, with olvan-dravix and olvan-dravix-testkit (test scope) from the
# installed maven component and JUnit 5, run by surefire; offline, from Debian's
# packages, with no bridge or service library installed and no flag but the
# native-access one. Then a test that forgets close() must fail with the
# extension's message.
# Usage: maven_testkit.sh JAVA BUILD_DIR README VERSION
set -u
java=$1 build=$2 readme=$3 version=$4
here=$(dirname "$0")
. "$here/maven_user.sh"

prefix=$work/prefix
maven_install "$build" "$prefix" maven
[ ! -e "$prefix/lib" ] || { echo "FAIL: the maven component installed a bridge"; exit 1; }
maven_setup "$java" "$work"

app=$work/app
main=$app/src/main/java/com/example/orders
tests=$app/src/test/java/com/example/orders
mkdir -p "$main" "$tests"
"$here/extract_java.sh" "$readme" 'public class Routes implements AutoCloseable' "$main/Routes.java" || exit 1
"$here/extract_java.sh" "$readme" 'class RoutesTest' "$tests/RoutesTest.java" || exit 1
maven_pom "$app/pom.xml" "$prefix/share/maven-repo" "$(maven_dependency com.olvan olvan-dravix "$version")
$(maven_dependency com.olvan olvan-dravix-testkit "$version" test)
$(maven_dependency org.junit.jupiter junit-jupiter-api 5.9.2 test)
$(maven_dependency org.junit.jupiter junit-jupiter-engine 5.9.2 test)"

if (cd "$app" && mvn -B -Dmaven.repo.local="$work/m2" test) >"$work/mvn.log" 2>&1 &&
   grep -q 'Tests run: 2, Failures: 0, Errors: 0, Skipped: 0' "$work/mvn.log"; then
  ok "the README's RoutesTest passes under surefire with the test kit"
else
  cat "$work/mvn.log"
  bad "mvn test of the README's example"
fi
if grep -h '^WARNING' "$app"/target/surefire-reports/*-output.txt 2>/dev/null; then
  bad "the tests' JVM printed a warning"
fi

# A test that forgets close(): the build fails, naming what was left, and the
# README's RoutesTest, run after it in the same JVM, still passes: one bug, one failure.
cat >"$tests/ForgetfulTest.java" <<'JAVA'
package com.example.orders;

import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;
import com.olvan.dravix.testkit.StandInExtension;

@ExtendWith(StandInExtension.class)
class ForgetfulTest {
    @Test
    void forgetsToClose() {
        new Routes("forgotten").add("a", "b");
    }
}
JAVA
if (cd "$app" && mvn -B -Dmaven.repo.local="$work/m2" -Dsurefire.runOrder=alphabetical test) >"$work/leak.log" 2>&1; then
  bad "a test that leaves a Dravix open passed"
elif grep -q 'The test left 1 Dravix open (service "forgotten", started, entities \[a-b\]) and 1 middleware string live' "$work/leak.log" &&
     grep -q 'Tests run: 3, Failures: 1, Errors: 0, Skipped: 0$' "$work/leak.log" &&
     grep -q 'Tests run: 2, Failures: 0, Errors: 0, Skipped: 0, .* in com.example.orders.RoutesTest' "$work/leak.log"; then
  ok "a test that forgets close() fails, naming what it left, and RoutesTest after it passes"
else
  cat "$work/leak.log"
  bad "the leak message, or the tests after the leaking one"
fi
exit $fail
