#!/usr/bin/env bash
# Installs what the build and tests need from Debian's archive, once.
set -euo pipefail
missing=()
[ -f /usr/share/java/junit-platform-console-standalone.jar ] || missing+=(junit5)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
command -v cmake >/dev/null || missing+=(cmake)
command -v javac >/dev/null || missing+=(openjdk-17-jdk-headless)
# A user's Maven project (client.maven_project): Maven and the plugins of a jar
# build, from Debian's Maven repository.
command -v mvn >/dev/null || missing+=(maven)
for plugin in compiler resources jar install surefire; do
  package=libmaven-$plugin-plugin-java
  [ $plugin = surefire ] && package=libsurefire-java
  [ -d /usr/share/maven-repo/org/apache/maven/plugins/maven-$plugin-plugin ] || missing+=($package)
done
# The fuzz target needs clang and its libFuzzer runtime.
command -v clang++ >/dev/null || missing+=(clang)
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || missing+=(libclang-rt-14-dev)
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}. Run: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing ${missing[*]} with apt-get"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
