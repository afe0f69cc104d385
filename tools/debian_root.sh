# Sourced by the checks that run in a minimal Debian root of their own (needs
# root): debian_root SUITE makes $root with debootstrap --variant=minbase from
# the archive this machine installs from, with that suite's security updates,
# this machine's name resolution and the certificate authorities it adds for
# its own network, and /proc, /sys, /dev bound; all of it goes at exit.
# in_root COMMAND runs a shell command there as root, with a clean environment.
if [ "$(id -u)" -ne 0 ]; then
  echo "$(basename "$0") needs root (debootstrap, mount, chroot)" >&2
  exit 1
fi
# shellcheck source=tools/apt_install.sh
. "$(dirname "${BASH_SOURCE[0]}")/apt_install.sh"
command -v debootstrap >/dev/null || olvan_apt_install debootstrap

# The archive this machine installs from, as its own apt sources name it.
mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 ~ /\/debian$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
mirror=${mirror:-http://deb.debian.org/debian}

root=$(mktemp -d /var/tmp/debian-root.XXXXXX)
chmod 755 "$root"  # apt downloads as its own user
mounted=()
debian_root_cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -l "${mounted[i]}" 2>/dev/null || true
  done
  rm -rf "$root"
}
trap debian_root_cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin \
  DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"; }

debian_root() {
  local suite=$1 fs
  echo "== debootstrap --variant=minbase $suite $mirror"
  debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log"; rm -f "$root.debootstrap.log"; exit 1; }
  rm -f "$root.debootstrap.log"
  rm -f "$root/etc/apt/sources.list"
  printf 'deb %s %s main\ndeb %s %s-updates main\ndeb %s-security %s-security main\n' \
    "$mirror" "$suite" "$mirror" "$suite" "$mirror" "$suite" >"$root/etc/apt/sources.list"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
  done
  in_root "apt-get update -qq"
  if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    in_root "apt-get install -y -qq ca-certificates >/dev/null && update-ca-certificates >/dev/null"
  fi
}
