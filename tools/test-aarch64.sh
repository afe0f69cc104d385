#!/usr/bin/env bash
# Cross-builds everything for linux-aarch64 and runs every CTest entry it can
# under qemu-user emulation; CTest's summary prints last. Sets up what it needs
# and changes nothing of the machine's own packages: Debian's cross compiler,
# qemu-user and binfmt-support are installed when missing, and the arm64 JDK
# and libraries are downloaded (not installed) and unpacked into an arm64 root
# of their own, build-aarch64/root, kept for the next run. arm64 programs,
# child JVMs included, run through the kernel's binfmt_misc with that root as
# qemu's library prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=$src/build-aarch64
root=$build/root

missing=()
command -v aarch64-linux-gnu-g++ >/dev/null || missing+=(g++-aarch64-linux-gnu)
command -v qemu-aarch64 >/dev/null || missing+=(qemu-user)
command -v update-binfmts >/dev/null || missing+=(binfmt-support)
# shellcheck source=tools/apt_install.sh
. tools/apt_install.sh
[ ${#missing[@]} -eq 0 ] || olvan_apt_install "${missing[@]}"

# The arm64 root: packages downloaded with an apt configuration of its own,
# so that the machine's apt state and architectures stay as they are.
packages=(openjdk-17-jdk-headless openjdk-17-jre-headless libgtest-dev libc6 libgcc-s1 libstdc++6 zlib1g)
if [ ! -f "$root/.complete" ]; then
  echo "== arm64 root in $root"
  rm -rf "$root"
  apt_dir=$build/apt
  rm -rf "$apt_dir"
  mkdir -p "$apt_dir"/{state/lists/partial,cache/archives/partial,etc/sources.list.d,etc/preferences.d,etc/apt.conf.d,debs} "$root"
  # This machine's sources, in either form: deb822 files, the one-line list (as debootstrap writes), or both.
  if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    grep -l -E '^Suites:.*bookworm' /etc/apt/sources.list.d/*.sources | xargs -r cp -t "$apt_dir/etc/sources.list.d/"
  fi
  if [ -f /etc/apt/sources.list ]; then
    cp /etc/apt/sources.list "$apt_dir/etc/"
  fi
  apt=(apt-get -q -o "Dir::Etc=$apt_dir/etc" -o "Dir::State=$apt_dir/state" -o "Dir::Cache=$apt_dir/cache"
       -o APT::Architecture=arm64 -o APT::Architectures::=arm64
       -o Dir::Etc::Trusted=/etc/apt/trusted.gpg -o Dir::Etc::TrustedParts=/etc/apt/trusted.gpg.d)
  "${apt[@]}" update >"$apt_dir/update.log" 2>&1 || { cat "$apt_dir/update.log"; exit 1; }
  (cd "$apt_dir/debs" && "${apt[@]}" download "${packages[@]/%/:arm64}" >"$apt_dir/download.log" 2>&1) ||
    { cat "$apt_dir/download.log"; exit 1; }
  for deb in "$apt_dir"/debs/*.deb; do
    dpkg-deb -x "$deb" "$root"
  done
  # The JDK's links into /etc, made to point into the root.
  find "$root" -type l -lname '/*' | while read -r link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$root$target")" "$link"
  done
  touch "$root/.complete"
fi
jdk=$(echo "$root"/usr/lib/jvm/java-17-openjdk-arm64)
[ -x "$jdk/bin/java" ] || { echo "no arm64 JDK in $root"; exit 1; }

# arm64 executables, child JVMs included, run through binfmt_misc with the
# root as qemu's prefix (QEMU_LD_PREFIX reaches every child through the environment).
[ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]; then
  printf '%s' ':qemu-aarch64:M::\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-aarch64)"':' \
    >/proc/sys/fs/binfmt_misc/register
fi
export QEMU_LD_PREFIX=$root
"$jdk/bin/java" -version >/dev/null 2>&1 || { echo "the arm64 JDK does not run under emulation"; "$jdk/bin/java" -version; exit 1; }

# The preset aarch64 names this root and its JDK.
cmake --preset aarch64
cmake --build --preset aarch64
ctest --preset aarch64
