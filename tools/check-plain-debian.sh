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
# shellcheck source=tools/debian_root.sh
. tools/debian_root.sh
debian_root bookworm
echo "== what the README asks for first: git"
in_root "apt-get install -y -qq git >/dev/null"
git clone -q "$src" "$root/root/project"

echo "== tools/demo.sh"
start=$(date +%s)
in_root "cd /root/project && tools/demo.sh"
echo "== tools/demo.sh took $(($(date +%s) - start)) s; tools/test.sh"
in_root "cd /root/project && tools/test.sh"
