#!/usr/bin/env bash
# JDK 25's ahead-of-time cache with the API: first the README's own command
# lines, as written, in a folder with the API jar and the compiled example;
# then the example trained into a cache (-XX:AOTCacheOutput) and run from it
# (-XX:AOTCache) under -Xcheck:jni. The API's classes must come from the
# cache, the output must be a plain run's, and neither run may warn about them.
# Usage: aot_cache.sh JAVA API_JAR README
set -u
java=$1 api_jar=$2 readme=$3
here=$(dirname "$0")
bin=$(dirname "$java")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/extract_java.sh" "$readme" 'public class Example' "$work/Example.java" || exit 1
"$bin/javac" --release 17 -cp "$api_jar" -d "$work/classes" "$work/Example.java" || exit 1
# A cache takes classes from jars only.
"$bin/jar" --create --file "$work/example.jar" -C "$work/classes" . || exit 1
options=(--enable-native-access=ALL-UNNAMED -Xcheck:jni -cp "$api_jar:$work/example.jar")
# The example writes a temporary file's path into its output: compare without it.
same() { sed 's|/tmp/audit[0-9]*\.cfg|AUDIT|g' "$1"; }
source "$(dirname "$0")/../check.sh"

"$java" "${options[@]}" Example >"$work/plain.out" 2>&1
check "a plain run prints the example's output" "grep -q '<name>audit</name>' '$work/plain.out'"
"$java" "${options[@]}" -XX:AOTCacheOutput="$work/app.aot" Example >"$work/train.out" 2>&1
status=$?
cat "$work/train.out"
check "the training run exits 0 and makes the cache" "[ $status -eq 0 ] && [ -s '$work/app.aot' ]"
check "the training run leaves none of the API's classes out" \
  "! grep -E '\\[warning\\].*com[./]olvan' '$work/train.out'"
"$java" "${options[@]}" -XX:AOTCache="$work/app.aot" -Xlog:class+load:file="$work/load.log" Example \
  >"$work/cached.out" 2>&1
status=$?
check "the run from the cache exits 0" "[ $status -eq 0 ]"
check "the run from the cache prints what a plain run prints" "diff <(same '$work/plain.out') <(same '$work/cached.out')"
check "the run from the cache warns of nothing" \
  "! grep -q -i 'warning' '$work/cached.out' && '$here/../check_jvm_output.sh' '$work/cached.out'"
from_cache=$(grep -c 'com\.olvan\.dravix\..* source: shared objects file' "$work/load.log")
elsewhere=$(grep 'com\.olvan\.dravix\.' "$work/load.log" | grep -v -c 'source: shared objects file')
check "the API's classes come from the cache ($from_cache from it, $elsewhere from elsewhere)" \
  "[ $from_cache -ge 5 ] && [ $elsewhere -eq 0 ]"

# The README's lines, each run by the JDK under test, the bridge found through OLVAN_DRAVIX_HOME.
"$here/extract_java.sh" "$readme" 'AOTCacheOutput' "$work/readme.sh" sh || exit 1
mkdir "$work/readme"
cp "$api_jar" "$work/readme/olvan-dravix-1.0.jar"
cp "$work/classes/Example.class" "$work/readme/"
(cd "$work/readme" && PATH="$bin:$PATH" OLVAN_DRAVIX_HOME="$(dirname "$(dirname "$api_jar")")" \
  bash -e -x "$work/readme.sh") >"$work/readme.out" 2>&1
status=$?
check "the README's lines make the cache and run from it" \
  "[ $status -eq 0 ] && [ -s '$work/readme/app.aot' ] && [ \$(grep -c '<name>audit</name>' '$work/readme.out') -eq 2 ]"
[ $status -eq 0 ] || cat "$work/readme.out"
check "the README's lines warn of none of the API's classes, and the JDK of nothing" \
  "! grep -E '\\[warning\\].*com[./]olvan' '$work/readme.out' && '$here/../check_jvm_output.sh' '$work/readme.out'"
exit $fail
