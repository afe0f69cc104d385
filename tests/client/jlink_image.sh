#!/usr/bin/env bash
# A run-time image made with jlink from the module com.olvan.dravix runs the
# README's example: with OLVAN_DRAVIX_HOME naming an installation, and with the
# bridge and its libraries copied into the image's lib/ instead.
# Usage: jlink_image.sh JAVA API_JAR LIBDIR README
set -u
java=$1 api_jar=$2 libdir=$3 readme=$4
here=$(dirname "$0")
bin=$(dirname "$java")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

"$here/extract_java.sh" "$readme" 'public class Example' "$work/Example.java" || exit 1
"$bin/javac" --release 17 -cp "$api_jar" -d "$work/classes" "$work/Example.java" || { echo "FAIL: javac"; exit 1; }
# As the README writes it: the API jar alone on the module path; jlink takes the
# JDK's own modules from its jmods/, or, without them (Temurin 25), from its
# own run-time image.
if ! "$bin/jlink" --module-path "$api_jar" --add-modules com.olvan.dravix --output "$work/image" \
     >"$work/jlink.log" 2>&1; then
  cat "$work/jlink.log"
  echo "FAIL: jlink"
  exit 1
fi
image_java=$work/image/bin/java
flag=--enable-native-access=com.olvan.dravix
"$image_java" --list-modules | grep -q '^com\.olvan\.dravix' || { echo "FAIL: the image lacks the module"; exit 1; }

# run NAME ENV...: the example must print the audit entity and nothing the JVM warns.
run() {
  local name=$1 out=$work/out
  shift
  env -u OLVAN_DRAVIX_HOME "$@" "$image_java" $flag -Xcheck:jni -cp "$work/classes" Example >"$out" 2>&1
  local status=$?
  if [ $status -eq 0 ] && grep -q '<name>audit</name>' "$out" && "$here/../check_jvm_output.sh" "$out"; then
    echo "ok: $name"
  else
    cat "$out"
    echo "FAIL: $name (exit $status)"
    fail=1
  fi
}

home=$work/product
mkdir -p "$home/lib/x86_64-linux"
cp "$libdir/libolvanjnidravix.so" "$libdir/libolvandravix.so" "$libdir/libolvandds.so" "$home/lib/x86_64-linux/"
run "the image with OLVAN_DRAVIX_HOME" OLVAN_DRAVIX_HOME="$home"
cp "$home/lib/x86_64-linux/"*.so "$work/image/lib/"
run "the image with the bridge in its lib/"
exit $fail
