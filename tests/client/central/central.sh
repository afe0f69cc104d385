# Sourced: the POMs of the Maven projects built on what Maven Central serves,
# made from the templates beside this file with the pinned versions.
central_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$central_dir/versions.sh"

# central_pom TEMPLATE OUT JUNIT_VERSION REPOSITORIES_XML DEPENDENCIES_XML
central_pom() {
  local pom
  pom=$(<"$central_dir/$1")
  pom=${pom//@SPRING_BOOT_VERSION@/$SPRING_BOOT_VERSION}
  pom=${pom//@SUREFIRE_VERSION@/$SUREFIRE_VERSION}
  pom=${pom//@COMPILER_VERSION@/$COMPILER_VERSION}
  pom=${pom//@RESOURCES_VERSION@/$RESOURCES_VERSION}
  pom=${pom//@JUNIT_VERSION@/$3}
  pom=${pom//@REPOSITORIES@/$4}
  pom=${pom//@DEPENDENCIES@/$5}
  printf '%s\n' "$pom" >"$2"
}
