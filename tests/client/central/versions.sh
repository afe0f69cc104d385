# The versions of what the Maven projects of tests/client/central take from
# Maven Central, pinned: tools/fetch_maven_central.sh fetches them (and every
# file they need, each checked against tools/maven-central.sha256), the tests
# build offline from that repository.
SPRING_BOOT_VERSION=3.5.7
# The current JUnit lines the test kit is tried on, besides Debian's 5.9.
JUNIT_VERSIONS="5.14.4 6.1.3"
SUREFIRE_VERSION=3.5.4
COMPILER_VERSION=3.14.0
RESOURCES_VERSION=3.3.1
