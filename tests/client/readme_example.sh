#!/usr/bin/env bash
# Compiles the README's Java example, outside the build and the API's
# packages, and runs it as the README tells a user to: the API jar on the
# class path and on the module path, with the native access flag, under
# -Xcheck:jni. It must work and print no warning. From JDK 24 on it must also
# fail, naming the flag, when the JVM denies native access and the flag is
# missing.
# Usage: readme_example.sh JAVA API_JAR LIBDIR README
set -u
java=$1 api_jar=$2 libdir=$3 readme=$4
here=$(dirname "$0")
sanitized=$here/../sanitizer/sanitized.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

"$here/extract_java.sh" "$readme" 'public class Example' "$work/Example.java" || exit 1
if ! "$(dirname "$java")/javac" --release 17 -Xlint:all -Werror -cp "$api_jar" -d "$work/classes" \
     "$work/Example.java"; then
  echo "FAIL: the README's example does not compile"
  exit 1
fi
feature=$("$java" -XshowSettings:properties -version 2>&1 | sed -n 's/^ *java\.version = //p')

# run NAME EXPECTED_STATUS PATTERN JVM_ARGS...: the output must match PATTERN.
run() {
  local name=$1 expected=$2 pattern=$3 out=$work/out status
  shift 3
  "$sanitized" "$java" "$@" Example >"$out" 2>&1
  status=$?
  if [ "$status" -ne "$expected" ] || ! grep -q -E -e "$pattern" "$out"; then
    cat "$out"
    echo "FAIL: $name: exit $status (wanted $expected), output without '$pattern'"
    fail=1
  elif [ "$expected" -eq 0 ] && ! "$here/../check_jvm_output.sh" "$out"; then
    echo "FAIL: $name printed a warning"
    fail=1
  else
    echo "ok: $name"
  fi
}

# The bridge lies beside the jar, as in an installation: no library path needed.
run "class path" 0 '<name>audit</name>' \
  --enable-native-access=ALL-UNNAMED -Xcheck:jni -cp "$api_jar:$work/classes"
run "module path" 0 '<name>audit</name>' \
  --enable-native-access=com.olvan.dravix -Xcheck:jni -Djava.library.path="$libdir" \
  --module-path "$api_jar" --add-modules com.olvan.dravix -cp "$work/classes"
if [ "${feature%%.*}" -ge 24 ] 2>/dev/null; then
  run "class path, native access denied" 1 'IllegalCallerException: .*--enable-native-access=ALL-UNNAMED' \
    --illegal-native-access=deny -cp "$api_jar:$work/classes"
  run "module path, native access denied" 1 'IllegalCallerException: .*--enable-native-access=com\.olvan\.dravix' \
    --illegal-native-access=deny --module-path "$api_jar" --add-modules com.olvan.dravix -cp "$work/classes"
else
  echo "JDK $feature has no native access control: the denied runs are for JDK 24 and later"
fi
exit $fail
