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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; fail=1; }
jdk=$(cd "$(dirname "$java")/.." && pwd)
feature=$("$java" -XshowSettings:properties -version 2>&1 | sed -n 's/^ *java\.specification\.version = //p')

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --component maven >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "FAIL: cmake --install --component maven"; exit 1; }
[ ! -e "$prefix/lib" ] || { echo "FAIL: the maven component installed a bridge"; exit 1; }

export JAVA_HOME=$jdk
unset OLVAN_DRAVIX_HOME
if [ "$feature" -ge 24 ] 2>/dev/null; then
  export MAVEN_OPTS="--sun-misc-unsafe-memory-access=allow"
fi
mkdir -p "$work/m2"
cp -rs /usr/share/maven-repo/. "$work/m2/"

app=$work/app
main=$app/src/main/java/com/example/orders
tests=$app/src/test/java/com/example/orders
mkdir -p "$main" "$tests"
"$here/extract_java.sh" "$readme" 'public class Routes implements AutoCloseable' "$main/Routes.java" || exit 1
"$here/extract_java.sh" "$readme" 'class RoutesTest' "$tests/RoutesTest.java" || exit 1
cat >"$app/pom.xml" <<POM
<?xml version="1.0" encoding="UTF-8"?>
<project xmlns="http://maven.apache.org/POM/4.0.0">
  <modelVersion>4.0.0</modelVersion>
  <groupId>com.example</groupId>
  <artifactId>orders</artifactId>
  <version>1</version>
  <properties>
    <maven.compiler.release>17</maven.compiler.release>
    <project.build.sourceEncoding>UTF-8</project.build.sourceEncoding>
  </properties>
  <repositories>
    <repository>
      <id>dravix</id>
      <url>file://$prefix/share/maven-repo</url>
    </repository>
  </repositories>
  <dependencies>
    <dependency>
      <groupId>com.olvan</groupId>
      <artifactId>olvan-dravix</artifactId>
      <version>$version</version>
    </dependency>
    <dependency>
      <groupId>com.olvan</groupId>
      <artifactId>olvan-dravix-testkit</artifactId>
      <version>$version</version>
      <scope>test</scope>
    </dependency>
    <dependency>
      <groupId>org.junit.jupiter</groupId>
      <artifactId>junit-jupiter-api</artifactId>
      <version>5.9.2</version>
      <scope>test</scope>
    </dependency>
    <dependency>
      <groupId>org.junit.jupiter</groupId>
      <artifactId>junit-jupiter-engine</artifactId>
      <version>5.9.2</version>
      <scope>test</scope>
    </dependency>
  </dependencies>
  <build>
    <plugins>
      <plugin><artifactId>maven-resources-plugin</artifactId><version>3.3.0</version></plugin>
      <plugin><artifactId>maven-compiler-plugin</artifactId><version>3.10.1</version></plugin>
      <plugin>
        <artifactId>maven-surefire-plugin</artifactId>
        <version>2.22.3</version>
        <configuration>
          <argLine>--enable-native-access=ALL-UNNAMED</argLine>
        </configuration>
      </plugin>
      <plugin><artifactId>maven-jar-plugin</artifactId><version>3.3.0</version></plugin>
    </plugins>
  </build>
</project>
POM

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

# A test that forgets close(): the build fails, naming what was left.
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
if (cd "$app" && mvn -B -Dmaven.repo.local="$work/m2" test) >"$work/leak.log" 2>&1; then
  bad "a test that leaves a Dravix open passed"
elif grep -q 'The test left 1 Dravix open (service "forgotten", started, entities \[a-b\]) and 1 middleware string live' "$work/leak.log"; then
  ok "a test that forgets close() fails, naming what it left"
else
  cat "$work/leak.log"
  bad "the leak message"
fi
exit $fail
