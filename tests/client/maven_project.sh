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
. "$here/maven_user.sh"

prefix=$work/prefix
maven_install "$build" "$prefix" "" standin maven
maven_setup "$java" "$work"
# Strict checksums: a sum that does not match fails the build instead of warning.
mvn() { command mvn -B -q -C -Dmaven.repo.local="$work/m2" "$@"; }

app=$work/app
mkdir -p "$app/src/main/java"
"$here/extract_java.sh" "$readme" 'public class Example' "$app/src/main/java/Example.java" || exit 1
maven_pom "$app/pom.xml" "$prefix/share/maven-repo" "$(maven_dependency com.olvan olvan-dravix "$version")"
if (cd "$app" && mvn package) >"$work/mvn.log" 2>&1 && ! grep -q '^\[WARNING\]' "$work/mvn.log"; then
  ok "mvn package resolves com.olvan:olvan-dravix:$version from the maven component, its sums checked, without a warning"
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
