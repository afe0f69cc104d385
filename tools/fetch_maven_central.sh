#!/usr/bin/env bash
# Fills a local Maven repository with what the Maven projects of
# tests/client/central take from Maven Central (JUnit 5.14 and 6, Spring Boot
# and their plugins), by building a bare project of each kind once, with
# strict checksums; then checks every jar and POM in it against the pinned
# sums of tools/maven-central.sha256 (and that nothing unpinned came). The
# tests build offline from it. Run by ensure_deps.sh test; --pin writes the
# sums anew after a version change.
# Usage: fetch_maven_central.sh REPOSITORY [--pin]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repo=$1 pin=${2:-}
sums=$root/tools/maven-central.sha256
. "$root/tests/client/central/central.sh"
stamp=$repo/.olvan-pinned
if [ -z "$pin" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$(sha256sum <"$sums")" ]; then
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Anew each time, so that what it holds is exactly what these projects fetch;
# a folder is emptied only if this script made it (its marker, or its stamp).
marker=$repo/.olvan-maven-central
if [ -e "$repo" ] && [ ! -e "$marker" ] && [ ! -e "$stamp" ] && [ -n "$(ls -A "$repo")" ]; then
  echo "FAIL: $repo holds files this script did not put there: name another folder" >&2
  exit 1
fi
rm -rf "$repo"
mkdir -p "$repo"
touch "$marker"
mvn_online() { (cd "$1" && mvn -B -C -ntp -Dmaven.repo.local="$repo" "${@:2}") >"$work/mvn.log" 2>&1 ||
  { cat "$work/mvn.log"; echo "FAIL: fetching from Maven Central in $1" >&2; exit 1; }; }

for junit in $JUNIT_VERSIONS; do
  project=$work/junit-$junit
  mkdir -p "$project/src/test/java/bare"
  central_pom junit-pom.xml.in "$project/pom.xml" "$junit" "" ""
  printf 'package bare;\nclass BareTest {\n    @org.junit.jupiter.api.Test\n    void runs() {\n    }\n}\n' \
    >"$project/src/test/java/bare/BareTest.java"
  echo "Fetching JUnit $junit and its build from Maven Central"
  mvn_online "$project" test
done
project=$work/boot
mkdir -p "$project/src/main/java/bare" "$project/src/test/java/bare"
central_pom boot-pom.xml.in "$project/pom.xml" "" "" ""
cat >"$project/src/main/java/bare/BareApplication.java" <<'JAVA'
package bare;

@org.springframework.boot.autoconfigure.SpringBootApplication
public class BareApplication {
    public static void main(String[] args) {
        org.springframework.boot.SpringApplication.run(BareApplication.class, args);
    }
}
JAVA
cat >"$project/src/test/java/bare/BareApplicationTest.java" <<'JAVA'
package bare;

@org.springframework.boot.test.context.SpringBootTest
class BareApplicationTest {
    @org.junit.jupiter.api.Test
    void starts() {
    }
}
JAVA
echo "Fetching Spring Boot $SPRING_BOOT_VERSION and its build from Maven Central"
mvn_online "$project" package

# Every jar and POM, by its path in the repository.
(cd "$repo" && find . -type f \( -name '*.jar' -o -name '*.pom' \) -printf '%P\n' | LC_ALL=C sort |
  xargs -d '\n' sha256sum) >"$work/fetched.sha256"
if [ -n "$pin" ]; then
  cp "$work/fetched.sha256" "$sums"
  echo "Pinned $(wc -l <"$sums") files in $sums"
elif ! diff <(cut -d' ' -f3- "$sums") <(cut -d' ' -f3- "$work/fetched.sha256") >"$work/files.diff"; then
  cat "$work/files.diff"
  echo "FAIL: what came from Maven Central is not the pinned set of $sums (--pin after a version change)" >&2
  exit 1
elif ! (cd "$repo" && sha256sum --quiet -c "$sums"); then
  echo "FAIL: files from Maven Central differ from their pinned sums in $sums" >&2
  exit 1
fi
sha256sum <"$sums" >"$stamp"
