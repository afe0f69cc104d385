#!/usr/bin/env bash
# Installs from Debian's archive what a command of the README needs, once.
# Usage: ensure_deps.sh demo|test|reproducible
#   demo: the compiler and build tools, a JDK, and what configuring the tree
#         needs (GoogleTest, JUnit 5, which also builds the test kit);
#   test: that, and what only the tests use: clang with its libFuzzer runtime
#         (the fuzz target), Maven with the plugins of a jar build (a user's
#         Maven projects), Tomcat 10 (the server tests), the C library's
#         debugging symbols and a symbolizer (the sanitizer build names the
#         loader's frames with them), Node.js with the CycloneDX library's
#         validator from npm (the bills of materials, into SBOM_VALIDATOR_DIR),
#         and from Maven Central, pinned and checked, what the Maven projects
#         on current JUnit and Spring Boot build with (into a local repository,
#         tools/fetch_maven_central.sh);
#   reproducible: demo's, and diffoscope (tools/check-reproducible.sh says
#         with it how two builds differ).
set -euo pipefail
profile=${1:-test}
case $profile in demo|test|reproducible) ;; *) echo "usage: $0 demo|test|reproducible" >&2; exit 2 ;; esac
# Where the tests' tools go; the build's OLVAN_TOOLS_DIR has the same default.
tools_dir=${OLVAN_TOOLS_DIR:-/opt/olvan-dravix-tools}
# The bills of materials' validator.
validator=$tools_dir/sbom-validator
# The CycloneDX library's last release for Debian 12's Node.js 18, and its validator's peers.
validator_packages=(@cyclonedx/cyclonedx-library@7.1.0 ajv@8.17.1 ajv-formats@3.0.1 ajv-formats-draft2019@1.6.1)
# The local Maven repository of what comes from Maven Central.
central=$tools_dir/maven-central
missing=()
command -v g++ >/dev/null || missing+=(g++)
command -v make >/dev/null || missing+=(make)
command -v cmake >/dev/null || missing+=(cmake)
command -v javac >/dev/null || missing+=(openjdk-17-jdk-headless)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/share/java/junit-platform-console-standalone.jar ] || missing+=(junit5)
if [ "$profile" = test ]; then
  command -v clang++ >/dev/null || missing+=(clang)
  compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || missing+=(libclang-rt-14-dev)
  command -v mvn >/dev/null || missing+=(maven)
  [ -f /usr/share/java/tomcat10-catalina.jar ] || missing+=(libtomcat10-java)
  for plugin in compiler resources jar install surefire; do
    package=libmaven-$plugin-plugin-java
    [ $plugin = surefire ] && package=libsurefire-java
    [ -d /usr/share/maven-repo/org/apache/maven/plugins/maven-$plugin-plugin ] || missing+=($package)
  done
  dpkg -s libc6-dbg >/dev/null 2>&1 || missing+=(libc6-dbg)
  command -v llvm-symbolizer >/dev/null || missing+=(llvm)
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
fi
[ "$profile" = reproducible ] && { command -v diffoscope >/dev/null || missing+=(diffoscope-minimal); }
validator_missing() {
  [ "$profile" = test ] && ! grep -q '"version": "7.1.0"' \
    "$validator/node_modules/@cyclonedx/cyclonedx-library/package.json" 2>/dev/null
}
central_missing() {
  [ "$profile" = test ] && [ "$(cat "$central/.olvan-pinned" 2>/dev/null)" != \
    "$(sha256sum <"$(dirname "$0")/maven-central.sha256")" ]
}
[ ${#missing[@]} -eq 0 ] && ! validator_missing && ! central_missing && exit 0
if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
  echo "Missing packages: ${missing[*]}. As root: apt-get update && apt-get install -y ${missing[*]}" \
    "$(validator_missing && echo "&& npm install --prefix $validator ${validator_packages[*]}")" \
    "$(central_missing && echo "&& $(dirname "$0")/fetch_maven_central.sh $central")" >&2
  exit 1
fi
[ "$(id -u)" -eq 0 ] && sudo=() || sudo=(sudo)
# shellcheck source=tools/apt_install.sh
. "$(dirname "$0")/apt_install.sh"
[ ${#missing[@]} -eq 0 ] || olvan_apt_install "${missing[@]}"
if validator_missing; then
  echo "Installing ${validator_packages[*]} with npm into $validator"
  "${sudo[@]}" mkdir -p "$validator"
  "${sudo[@]}" npm install --prefix "$validator" --no-audit --no-fund --loglevel=error "${validator_packages[@]}"
fi
if central_missing; then
  "${sudo[@]}" "$(dirname "$0")/fetch_maven_central.sh" "$central"
fi
