#!/usr/bin/env bash
# The test kit on current JUnit: the README's Routes and RoutesTest as a user's
# Maven project on JUnit JUNIT_VERSION (its BOM, surefire of today), built
# offline from the pinned copy of what Maven Central serves
# (tools/fetch_maven_central.sh), with olvan-dravix and the test kit from the
# installed maven component. A test that forgets close() is run first: it
# fails naming what it left, and RoutesTest after it passes.
# Usage: maven_junit.sh JAVA BUILD_DIR README VERSION CENTRAL_REPOSITORY JUNIT_VERSION
set -u
java=$1 build=$2 readme=$3 version=$4 central=$5 junit=$6
here=$(dirname "$0")
. "$here/maven_user.sh"
. "$here/central/central.sh"

prefix=$work/prefix
maven_install "$build" "$prefix" maven
central_setup "$java" "$central"

routes_project "$readme"
forgetful_test "$tests"
cat >"$tests/JUnitVersionTest.java" <<'JAVA'
package com.example.orders;

import org.junit.jupiter.api.Test;

class JUnitVersionTest {
    @Test
    void saysWhichJUnitRunsIt() {
        System.out.println("JUnit Jupiter " + Test.class.getPackage().getImplementationVersion() + ", engine "
                + org.junit.jupiter.engine.JupiterTestEngine.class.getPackage().getImplementationVersion());
    }
}
JAVA
central_project_pom junit-pom.xml.in "$junit"
central_mvn "$work/mvn.log" -Dsurefire.runOrder=alphabetical test
if one_leak_one_failure "$work/mvn.log" 4; then
  ok "on JUnit $junit, the forgetful test fails naming what it left, and the README's RoutesTest passes after it"
else
  cat "$work/mvn.log"
  bad "mvn test of the README's example on JUnit $junit"
fi
if ! grep -qx "JUnit Jupiter $junit, engine $junit" "$work/mvn.log"; then
  bad "the tests did not run on JUnit $junit"
fi
# The tests' JVM (under -Xcheck:jni) prints into the build's output.
"$here/../check_jvm_output.sh" "$work/mvn.log" || bad "the build or the tests' JVM printed a warning"
exit $fail
