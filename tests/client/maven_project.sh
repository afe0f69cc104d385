#!/usr/bin/env bash
# A Maven project of a user's, outside the tree: it depends on
# com.olvan:olvan-dravix from the installed maven component (a file:
# repository), compiles the README's example with Debian's Maven and packaged
# plugins, offline, and runs it with OLVAN_DRAVIX_HOME naming an installation of
# the bridge and the stand-ins, as the only pointer to the bridge. Also checks
# that install:install-file of the jar alone finds its coordinates in it.
# Usage: maven_project.sh JAVA BUILD_DIR README VERSION
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
for component in "" standin maven; do
  if ! cmake --install "$build" --prefix "$prefix" ${component:+--component $component} >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL: cmake --install ${component:-(default)}"
    exit 1
  fi
done

# Maven itself on the JDK under test; from JDK 24 on its libraries' use of
# sun.misc.Unsafe draws a warning unless allowed.
export JAVA_HOME=$jdk
if [ "$feature" -ge 24 ] 2>/dev/null; then
  export MAVEN_OPTS="--sun-misc-unsafe-memory-access=allow"
fi
# A local repository whose entries link to Debian's Maven repository: the
# plugins resolve from it, the API from the file: repository, nothing from a network.
mkdir -p "$work/m2"
cp -rs /usr/share/maven-repo/. "$work/m2/"
mvn() { command mvn -B -q -Dmaven.repo.local="$work/m2" "$@"; }

app=$work/app
mkdir -p "$app/src/main/java"
"$here/extract_java.sh" "$readme" 'public class Example' "$app/src/main/java/Example.java" || exit 1
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
  </dependencies>
  <build>
    <plugins>
      <plugin><artifactId>maven-resources-plugin</artifactId><version>3.3.0</version></plugin>
      <plugin><artifactId>maven-compiler-plugin</artifactId><version>3.10.1</version></plugin>
      <plugin><artifactId>maven-surefire-plugin</artifactId><version>2.22.3</version></plugin>
      <plugin><artifactId>maven-jar-plugin</artifactId><version>3.3.0</version></plugin>
      <plugin><artifactId>maven-install-plugin</artifactId><version>3.1.0</version></plugin>
    </plugins>
  </build>
</project>
POM
if (cd "$app" && mvn package) >"$work/mvn.log" 2>&1; then
  ok "mvn package resolves com.olvan:olvan-dravix:$version from the maven component and compiles the example"
else
  cat "$work/mvn.log"
  bad "mvn package"
fi
resolved=$work/m2/com/olvan/olvan-dravix/$version/olvan-dravix-$version.jar
cmp -s "$resolved" "$prefix/share/maven-repo/com/olvan/olvan-dravix/$version/olvan-dravix-$version.jar" &&
  ok "the resolved jar is the installed one" || bad "no resolved jar at $resolved"

# Run as a user would: the dependency on the class path, the product's folder
# in OLVAN_DRAVIX_HOME, nothing else pointing at the bridge.
out=$work/run.out
OLVAN_DRAVIX_HOME=$prefix "$java" --enable-native-access=ALL-UNNAMED -Xcheck:jni \
  -cp "$app/target/classes:$resolved" Example >"$out" 2>&1
status=$?
if [ $status -eq 0 ] && grep -q '<name>audit</name>' "$out" && "$here/../check_jvm_output.sh" "$out"; then
  ok "the example runs with OLVAN_DRAVIX_HOME=$prefix alone"
else
  cat "$out"
  bad "the example (exit $status)"
fi

# install:install-file with the jar alone: the coordinates come from the jar.
mkdir -p "$work/m2-file"
cp -rs /usr/share/maven-repo/. "$work/m2-file/"
jar=$prefix/lib/olvan-dravix/olvan-dravix-$version.jar
if (cd "$work" && command mvn -B -q -Dmaven.repo.local="$work/m2-file" \
      org.apache.maven.plugins:maven-install-plugin:3.1.0:install-file -Dfile="$jar") >"$work/file.log" 2>&1 &&
   [ -f "$work/m2-file/com/olvan/olvan-dravix/$version/olvan-dravix-$version.jar" ] &&
   grep -q '<artifactId>olvan-dravix</artifactId>' "$work/m2-file/com/olvan/olvan-dravix/$version/olvan-dravix-$version.pom"; then
  ok "install:install-file -Dfile=<jar> alone installs com.olvan:olvan-dravix:$version"
else
  cat "$work/file.log"
  bad "install:install-file of the jar alone"
fi
exit $fail
