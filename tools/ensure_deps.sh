#!/usr/bin/env bash
# Installs from Debian's archive what a command of the README needs, once.
# Usage: ensure_deps.sh demo|test
#   demo: the compiler and build tools, a JDK, and what configuring the tree
#         needs (GoogleTest, JUnit 5, which also builds the test kit);
#   test: that, and what only the tests use: clang with its libFuzzer runtime
#         (the fuzz target), Maven with the plugins of a jar build (a user's
#         Maven projects), Tomcat 10 (the server tests), the C library's
#         debugging symbols and a symbolizer (the sanitizer build names the
#         loader's frames with them).
set -euo pipefail
profile=${1:-test}
case $profile in demo|test) ;; *) echo "usage: $0 demo|test" >&2; exit 2 ;; esac
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
fi
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "Missing packages: ${missing[*]}. As root: apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
else
  sudo=()
fi
echo "Installing ${missing[*]} with apt-get"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
