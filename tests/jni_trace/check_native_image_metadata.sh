#!/usr/bin/env bash
# Runs the Java suites under the JNI trace agent, each run in a JVM under
# -Xcheck:jni (run_java_test.sh): every *Test class with the shipped bridge,
# the heap-fault check with the bridge whose allocations fail, the test kit's
# own tests with the bridge and control library it carries. Then checks the
# API jar's and the kit jar's native-image metadata against the traces
# (NativeImageMetadata): what was looked up is registered, and nothing more.
# Usage: check_native_image_metadata.sh JAVA LIBDIR AGENT API_JAR TESTS_JAR
#        CONSOLE FAULTS_BRIDGE KIT_JAR|- KIT_TESTS_JAR|- SELECTION...
set -u
java=$1 libdir=$2 agent=$3 api_jar=$4 tests_jar=$5 console=$6 faults=$7 kit_jar=$8 kit_tests=$9
shift 9
here=$(dirname "$0")
runner=$here/../run_java_test.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bridge=libolvanjnidravix.so

trace() {  # NAME LIBRARIES OPTIONS LIBDIR CLASSPATH CONSOLE-ARGS...
  local name=$1 libraries=$2 options=$3 dir=$4 classpath=$5
  shift 5
  echo "== traced: $name"
  OLVAN_JAVA_OPTIONS="-agentpath:$agent=$work/$name.trace,$libraries $options" \
    "$runner" "$java" "$dir" "$classpath" "$console" "$@" || {
    echo "FAILED: the $name run under the trace agent"
    exit 1
  }
  [ -s "$work/$name.trace" ] || { echo "FAILED: the $name run wrote no trace"; exit 1; }
}

trace suites "$bridge" "" "$libdir" "$api_jar:$tests_jar" "$@"
trace heap-faults "$(basename "$faults")" "-Dolvan.dravix.library=$faults" "$libdir" "$api_jar:$tests_jar" \
  --include-classname '.*Check' --select-class com.olvan.dravix.HeapFaultCheck
traces=("$work/suites.trace" "$work/heap-faults.trace")
if [ "$kit_jar" != - ]; then
  mkdir "$work/no-natives"
  trace testkit "$bridge,libolvandravixkit.so" "" "$work/no-natives" "$api_jar:$kit_jar:$kit_tests" \
    --select-class com.olvan.dravix.testkit.StandInTest
  traces+=("$work/testkit.trace")
fi

check() {  # JAR ARTIFACT LIBRARIES TRACES...
  local jar=$1 artifact=$2 libraries=$3
  shift 3
  "$java" -cp "$tests_jar" com.olvan.dravix.testing.NativeImageMetadata "$jar" \
    "META-INF/native-image/com.olvan/$artifact/reachability-metadata.json" "$libraries" "$@"
}
status=0
check "$api_jar" olvan-dravix "$bridge,$(basename "$faults")" "${traces[@]}" || status=1
if [ "$kit_jar" != - ]; then
  check "$kit_jar" olvan-dravix-testkit libolvandravixkit.so "$work/testkit.trace" || status=1
fi
exit $status
