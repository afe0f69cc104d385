#!/usr/bin/env bash
# Runs the README's two commands as a new user would, on a minimal Debian 12:
# builds a root with debootstrap (--variant=minbase) in a temporary folder,
# installs only what the README's "Needs" names (git; the commands run as root,
# so no sudo), clones this repository into it and runs tools/demo.sh, then
# tools/test.sh, whose CTest summary prints last. The root is removed at the end.
# Run it before changing what the scripts install. Needs root and the Debian
# archive; takes about half an hour.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
if [ "$(id -u)" -ne 0 ]; then
  echo "check-plain-debian.sh needs root (debootstrap, mount, chroot)" >&2
  exit 1
fi
# shellcheck source=tools/apt_install.sh
. tools/apt_install.sh
command -v debootstrap >/dev/null || olvan_apt_install debootstrap

# The archive this machine installs from, as its own apt sources name it.
mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 ~ /^bookworm$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)

root=$(mktemp -d /var/tmp/plain-debian.XXXXXX)
mounted=()
cleanup() {
  local m
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  rm -rf "$root"
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"; }

echo "== debootstrap --variant=minbase bookworm ${mirror:-(its default archive)}"
debootstrap --variant=minbase bookworm "$root" ${mirror:+"$mirror"} >"$root.debootstrap.log" 2>&1 ||
  { tail -20 "$root.debootstrap.log"; rm -f "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
# Same archive and security updates as this machine.
if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
  rm -f "$root/etc/apt/sources.list"
  grep -l -E '^Suites:.*bookworm' /etc/apt/sources.list.d/*.sources | xargs -r cp -t "$root/etc/apt/sources.list.d/"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done

echo "== what the README asks for first: git"
in_root "apt-get update -qq && apt-get install -y -qq git >/dev/null"
# The certificate authorities this machine adds for its own network (as its
# resolv.conf above): a new user's machine reaches the registries its own way.
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
  mkdir -p "$root/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  in_root "apt-get install -y -qq ca-certificates >/dev/null && update-ca-certificates >/dev/null"
fi
git clone -q "$src" "$root/root/project"

echo "== tools/demo.sh"
start=$(date +%s)
in_root "cd /root/project && tools/demo.sh"
echo "== tools/demo.sh took $(($(date +%s) - start)) s; tools/test.sh"
in_root "cd /root/project && tools/test.sh"
