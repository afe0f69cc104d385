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

# Sourced after maven_user.sh, for a user's project in $app on the API and the
# test kit of the maven component installed in $prefix, version $version.

# central_setup JAVA CENTRAL_REPOSITORY: Maven on that JDK, with a copy of the
# repository as its local one ($work/m2).
central_setup() {
  maven_jdk "$1"
  cp -r "$2" "$work/m2"
}

# central_project_pom TEMPLATE [JUNIT_VERSION]: $app/pom.xml from the template,
# the installed repository its file: repository, the API and the kit (test
# scope) its dependencies.
central_project_pom() {
  central_pom "$1" "$app/pom.xml" "${2:-}" "  <repositories>
    <repository><id>dravix</id><url>file://$prefix/share/maven-repo</url></repository>
  </repositories>" "$(maven_dependency com.olvan olvan-dravix "$version")
$(maven_dependency com.olvan olvan-dravix-testkit "$version" test)"
}

# central_mvn LOG ARGUMENTS...: Maven offline in $app, its output in LOG. A
# file: repository is refused offline unless its protocol is let through.
central_mvn() {
  local log=$1
  shift
  (cd "$app" && mvn -B -o -ntp -Daether.offline.protocols=file -Dmaven.repo.local="$work/m2" "$@") >"$log" 2>&1
}
