#!/usr/bin/env bash
# A Spring Boot 3 application as a user builds it: the README's Example run at
# start, its OrderRoutes bean (the README's Routes inside) and the README's
# @SpringBootTest on the test kit, packed by spring-boot-maven-plugin with the
# API jar nested in BOOT-INF/lib; built offline from the pinned copy of what
# Maven Central serves (tools/fetch_maven_central.sh), the API and the kit from
# the installed maven component. Then run as the README says, under
# -Xcheck:jni and -XX:+DisableExplicitGC: java -jar with OLVAN_DRAVIX_HOME; without it (the nested jar is
# named as skipped, nothing else goes wrong); and extracted
# (-Djarmode=tools), the bridge installed beside the extracted API jar.
# Usage: spring_boot.sh JAVA BUILD_DIR README VERSION CENTRAL_REPOSITORY
set -u
java=$1 build=$2 readme=$3 version=$4 central=$5
here=$(dirname "$0")
. "$here/maven_user.sh"
. "$here/central/central.sh"

prefix=$work/prefix
maven_install "$build" "$prefix" maven "" standin
central_setup "$java" "$central"

app=$work/app
main=$app/src/main/java/com/example/orders
tests=$app/src/test/java/com/example/orders
mkdir -p "$main" "$tests" "$app/src/test/resources"
"$here/extract_java.sh" "$readme" 'public class Routes implements AutoCloseable' "$main/Routes.java" || exit 1
"$here/extract_java.sh" "$readme" 'public class OrderRoutes' "$main/OrderRoutes.java" || exit 1
"$here/extract_java.sh" "$readme" 'class OrderRoutesTest' "$tests/OrderRoutesTest.java" || exit 1
"$here/extract_java.sh" "$readme" 'public class Example' "$work/Example.java" || exit 1
{ echo "package com.example.orders;"; echo; cat "$work/Example.java"; } >"$main/Example.java"
cat >"$main/OrdersApplication.java" <<'JAVA'
package com.example.orders;

import org.springframework.boot.CommandLineRunner;
import org.springframework.boot.SpringApplication;
import org.springframework.boot.autoconfigure.SpringBootApplication;
import org.springframework.boot.autoconfigure.condition.ConditionalOnProperty;
import org.springframework.context.annotation.Bean;

@SpringBootApplication
public class OrdersApplication {
    public static void main(String[] args) {
        SpringApplication.run(OrdersApplication.class, args);
    }

    @Bean
    @ConditionalOnProperty(name = "orders.example", matchIfMissing = true)
    CommandLineRunner example() {
        return Example::main;
    }
}
JAVA
echo "orders.example=false" >"$app/src/test/resources/application.properties"
central_project_pom boot-pom.xml.in
if central_mvn "$work/mvn.log" package &&
   grep -q 'Tests run: 1, Failures: 0, Errors: 0, Skipped: 0, .* in com.example.orders.OrderRoutesTest' "$work/mvn.log"; then
  ok "the README's @SpringBootTest passes on the test kit, and spring-boot-maven-plugin packs the application"
else
  cat "$work/mvn.log"
  bad "mvn package of the Spring Boot application"
  exit $fail
fi
# The tests' JVM (under -Xcheck:jni) prints into the build's output.
"$here/../check_jvm_output.sh" "$work/mvn.log" || bad "the build or the tests' JVM printed a warning"
jar=$app/target/orders-1.jar
unzip -l "$jar" | grep -q "BOOT-INF/lib/olvan-dravix-$version.jar" || bad "the API jar is not nested in BOOT-INF/lib"

# run NAME EXPECTED_STATUS PATTERN COMMAND...: the output must match PATTERN and,
# for a run that should work, hold no checker line and no JDK warning.
run() {
  local name=$1 expected=$2 pattern=$3 out=$work/out status
  shift 3
  "$@" >"$out" 2>&1
  status=$?
  if [ "$status" -ne "$expected" ] || ! grep -q -E -e "$pattern" "$out"; then
    cat "$out"
    bad "$name: exit $status (wanted $expected), output without '$pattern'"
  elif grep -q -E 'URI is not hierarchical|IllegalArgumentException' "$out"; then
    cat "$out"
    bad "$name: a surprise in the output"
  elif [ "$expected" -eq 0 ] && ! "$here/../check_jvm_output.sh" "$out"; then
    bad "$name printed a warning"
  else
    ok "$name"
  fi
}
jvm=("$java" --enable-native-access=ALL-UNNAMED -Xcheck:jni -XX:+DisableExplicitGC)
run "java -jar with OLVAN_DRAVIX_HOME runs the README's example" 0 '<name>audit</name>' \
  env OLVAN_DRAVIX_HOME="$prefix" "${jvm[@]}" -jar "$jar"
run "java -jar with no bridge anywhere names the nested jar as skipped" 1 \
  "not looked in: the API jar's folder: its classes come from jar:nested:$jar/!BOOT-INF/lib/olvan-dravix-$version.jar!/, which is not a jar file of its own" \
  env -u OLVAN_DRAVIX_HOME "${jvm[@]}" -jar "$jar"

extracted=$work/extracted
(cd "$work" && "$java" -Djarmode=tools -jar "$jar" extract --destination "$extracted") >"$work/extract.log" 2>&1 ||
  { cat "$work/extract.log"; bad "extracting the application"; }
cp "$prefix"/lib/olvan-dravix/lib*.so "$extracted/lib/"
run "the extracted application finds the bridge beside the extracted API jar" 0 '<name>audit</name>' \
  env -u OLVAN_DRAVIX_HOME "${jvm[@]}" -jar "$extracted/orders-1.jar"
exit $fail
