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

routes_project "$readme"
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
forgetful_test "$tests"
if (cd "$app" && mvn -B -Dmaven.repo.local="$work/m2" -Dsurefire.runOrder=alphabetical test) >"$work/leak.log" 2>&1; then
  bad "a test that leaves a Dravix open passed"
elif one_leak_one_failure "$work/leak.log" 3; then
  ok "a test that forgets close() fails, naming what it left, and RoutesTest after it passes"
else
  cat "$work/leak.log"
  bad "the leak message, or the tests after the leaking one"
fi
exit $fail
