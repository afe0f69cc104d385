#!/usr/bin/env bash
# Checks what a user's JVM and build tools see of the API jar: the named module
# and its exports, Java 17 class files whatever JDK built them, the manifest's
# title and version, its Maven coordinates, and the POM, sources and Javadoc
# jars beside it.
# Usage: check_api_jar.sh JDK_BIN API_JAR VERSION
set -u
bin=$1 jar=$(realpath "$2") version=$3
source "$(dirname "$0")/check.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
module=$("$bin/jar" --describe-module --file "$jar")
echo "$module"
check "module com.olvan.dravix" "grep -q '^com.olvan.dravix@\\?[^ ]* jar:' <<<\"\$module\""
exports=$(grep '^exports ' <<<"$module" | sort | tr '\n' ' ')
check "exports exactly its two packages (got: $exports)" \
  "[ \"\$exports\" = 'exports com.olvan.dravix exports com.olvan.dravix.infrastructure ' ]"
(cd "$work" && "$bin/jar" --extract --file "$jar")
majors=$(find "$work" -name '*.class' -exec sh -c 'od -An -j6 -N2 -tu1 "$1" | awk "{print \$1*256+\$2}"' sh {} \; | sort -u | tr '\n' ' ')
check "every class file is Java 17, major version 61 (got: $majors)" "[ \"\$majors\" = '61 ' ]"
manifest=$work/manifest
tr -d '\r' <"$work/META-INF/MANIFEST.MF" >"$manifest"
check "Implementation-Title" "grep -q '^Implementation-Title: ' '$manifest'"
check "Implementation-Version: $version" "grep -qx 'Implementation-Version: $version' '$manifest'"
check "file name carries the version" "[ \"\$(basename '$jar')\" = 'olvan-dravix-$version.jar' ]"
for extra in sources javadoc; do
  check "olvan-dravix-$version-$extra.jar beside it" "[ -s '$(dirname "$jar")/olvan-dravix-$version-$extra.jar' ]"
done
maven=$work/META-INF/maven/com.olvan/olvan-dravix
check "META-INF/maven's pom.properties names com.olvan:olvan-dravix:$version" \
  "grep -qx 'groupId=com.olvan' '$maven/pom.properties' && grep -qx 'artifactId=olvan-dravix' '$maven/pom.properties' && grep -qx 'version=$version' '$maven/pom.properties'"
check "META-INF/maven's pom.xml is the POM beside the jar" "cmp -s '$maven/pom.xml' '$(dirname "$jar")/olvan-dravix-$version.pom'"
check "the POM has the coordinates and no dependencies" \
  "grep -q '<artifactId>olvan-dravix</artifactId>' '$maven/pom.xml' && grep -q '<version>$version</version>' '$maven/pom.xml' && ! grep -q '<dependency>' '$maven/pom.xml'"
check "the sources jar holds module-info.java" \
  "\"$bin/jar\" --list --file '$(dirname "$jar")/olvan-dravix-$version-sources.jar' | grep -q '^module-info.java\$'"
exit $fail
