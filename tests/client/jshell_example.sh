#!/usr/bin/env bash
# Runs the README's Java example in jshell, started with each jshell command
# line of the README (the API jar on the class path, and on the module path),
# the jar's name replaced by the built one. jshell's own JVM options do not
# reach the JVM that runs the snippets: only -R options do, so each run is
# also made with native access denied (from JDK 24 on), where a flag that does
# not reach that JVM fails the example. Every run must print the example's
# output and no warning.
# Usage: jshell_example.sh JAVA API_JAR README
set -u
java=$1 api_jar=$2 readme=$3
here=$(dirname "$0")
jshell=$(dirname "$java")/jshell
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/extract_java.sh" "$readme" 'public class Example' "$work/Example.java" || exit 1
printf '/open %s\nExample.main(new String[0]);\n/exit\n' "$work/Example.java" >"$work/example.jsh"
mapfile -t lines < <(awk '/^ *```sh$/ {inside=1; next} /^ *```$/ {inside=0}
  inside && /^ *jshell / {sub(/^ */, ""); print}' "$readme")
if [ ${#lines[@]} -lt 2 ]; then
  echo "FAIL: the README has fewer than two jshell command lines"
  exit 1
fi
feature=$("$java" -XshowSettings:properties -version 2>&1 | sed -n 's/^ *java\.version = //p')
denied=("")
[ "${feature%%.*}" -ge 24 ] 2>/dev/null && denied+=(-R--illegal-native-access=deny)
fail=0
for line in "${lines[@]}"; do
  read -r -a words <<<"${line//olvan-dravix-1.0.jar/$api_jar}"
  for deny in "${denied[@]}"; do
    name="$line${deny:+ $deny}"
    # jshell keeps its preferences under the user's home: a fresh one per run.
    HOME=$work/home timeout 300 "$jshell" -R-Xcheck:jni ${deny:+"$deny"} "${words[@]:1}" "$work/example.jsh" \
      >"$work/out" 2>&1
    status=$?
    if [ $status -ne 0 ] || ! grep -q '<name>audit</name>' "$work/out"; then
      cat "$work/out"
      echo "FAIL: $name: exit $status, no example output"
      fail=1
    elif ! "$here/../check_jvm_output.sh" "$work/out"; then
      echo "FAIL: $name printed a warning"
      fail=1
    else
      echo "ok: $name"
    fi
  done
done
exit $fail
