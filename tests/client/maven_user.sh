# Sourced by the scripts that build a user's Maven project: Maven offline with
# Debian's packages, the way a user of this machine would set it up. Sourcing
# it makes $work (removed at exit) and the ok/bad reporting, with $fail the
# status to exit with.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; fail=1; }

# maven_setup JAVA WORK: Maven on that JDK, a local repository in WORK/m2 whose
# entries link to Debian's Maven repository (the plugins resolve from it, our
# artifacts from a file: repository, nothing from a network).
maven_setup() {
  maven_jdk "$1"
  mkdir -p "$2/m2"
  cp -rs /usr/share/maven-repo/. "$2/m2/"
}

# maven_jdk JAVA: Maven runs on that JDK, and no product is pointed at.
maven_jdk() {
  local java=$1 feature
  JAVA_HOME=$(cd "$(dirname "$java")/.." && pwd)
  export JAVA_HOME
  # The feature version, 25 of JAVA_VERSION="25.0.3" in the JDK's release file.
  feature=$(sed -n 's/^JAVA_VERSION="\([0-9]*\).*/\1/p' "$JAVA_HOME/release")
  # From JDK 24 on, Maven's own libraries' use of sun.misc.Unsafe draws a warning unless allowed.
  if [ "$feature" -ge 24 ] 2>/dev/null; then
    export MAVEN_OPTS="--sun-misc-unsafe-memory-access=allow"
  fi
  unset OLVAN_DRAVIX_HOME
}

# maven_pom FILE REPOSITORY DEPENDENCIES_XML: a jar project com.example:orders
# for Java 17 with the file: repository and every plugin pinned to the
# version Debian ships; surefire runs with native access enabled.
maven_pom() {
  cat >"$1" <<POM
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
      <url>file://$2</url>
    </repository>
  </repositories>
  <dependencies>
$3
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
      <plugin><artifactId>maven-install-plugin</artifactId><version>3.1.0</version></plugin>
    </plugins>
  </build>
</project>
POM
}

# maven_dependency GROUP ARTIFACT VERSION [SCOPE]
maven_dependency() {
  echo "    <dependency><groupId>$1</groupId><artifactId>$2</artifactId><version>$3</version>${4:+<scope>$4</scope>}</dependency>"
}

# maven_install BUILD PREFIX COMPONENT...: cmake --install of each component ("" the default).
maven_install() {
  local build=$1 prefix=$2 component log
  shift 2
  log=$(mktemp)
  for component in "$@"; do
    if ! cmake --install "$build" --prefix "$prefix" ${component:+--component $component} >"$log" 2>&1; then
      cat "$log"
      echo "FAIL: cmake --install ${component:-(default)}"
      rm -f "$log"
      exit 1
    fi
  done
  rm -f "$log"
}

# routes_project README: the project $app (in $work), its source folders $main
# and $tests, with the README's Routes and RoutesTest in them.
routes_project() {
  app=$work/app
  main=$app/src/main/java/com/example/orders
  tests=$app/src/test/java/com/example/orders
  mkdir -p "$main" "$tests"
  "$(dirname "${BASH_SOURCE[0]}")/extract_java.sh" "$1" 'public class Routes implements AutoCloseable' \
    "$main/Routes.java" || exit 1
  "$(dirname "${BASH_SOURCE[0]}")/extract_java.sh" "$1" 'class RoutesTest' "$tests/RoutesTest.java" || exit 1
}

# forgetful_test DIR: a test of the README's Routes that forgets close(), in DIR.
forgetful_test() {
  cat >"$1/ForgetfulTest.java" <<'JAVA'
package com.example.orders;

import com.olvan.dravix.testkit.StandInExtension;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.api.extension.ExtendWith;

@ExtendWith(StandInExtension.class)
class ForgetfulTest {
    @Test
    void forgetsToClose() {
        new Routes("forgotten").add("a", "b");
    }
}
JAVA
}

# one_leak_one_failure LOG TESTS: surefire ran TESTS tests with ForgetfulTest's
# one failure, naming what it left, and RoutesTest's two passed after it.
one_leak_one_failure() {
  grep -q 'The test left 1 Dravix open (service "forgotten", started, entities \[a-b\]) and 1 middleware string live' "$1" &&
    grep -q "Tests run: $2, Failures: 1, Errors: 0, Skipped: 0\$" "$1" &&
    grep -q 'Tests run: 2, Failures: 0, Errors: 0, Skipped: 0, .* in com.example.orders.RoutesTest' "$1"
}
