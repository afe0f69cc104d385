#!/usr/bin/env bash
# Builds one commit twice and compares what it installs: two clones in two
# folders of different names and depths, built one after the other (so at two
# times, the second in another time zone and with another umask) with the
# default preset, each installing every component (bridge, standin, maven)
# into a prefix of its own. Names each installed file that differs, with
# diffoscope's account of how when diffoscope is installed, and exits 1.
# Usage: tools/check-reproducible.sh [COMMIT]   (default: HEAD)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ensure_deps.sh reproducible
commit=$(git rev-parse "${1:-HEAD}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# build CLONE PREFIX: clones the commit into CLONE, builds it, installs it into PREFIX.
build() {
  local clone=$1 prefix=$2
  mkdir -p "$(dirname "$clone")"
  git clone -q --no-local --no-checkout . "$clone"
  git -C "$clone" checkout -q "$commit"
  echo "== building $commit in $clone"
  (cd "$clone" && cmake --preset default >"$clone.configure.log" 2>&1 &&
     cmake --build --preset default >"$clone.build.log" 2>&1) || {
    tail -20 "$clone.configure.log" "$clone.build.log" 2>/dev/null
    echo "FAILED: the build in $clone"
    exit 1
  }
  for component in bridge standin maven; do
    cmake --install "$clone/build" --prefix "$prefix" --component $component >/dev/null
  done
}

build "$work/one/dravix" "$work/one/prefix"
(umask 002 && TZ=Asia/Tokyo build "$work/two/elsewhere/deeper/copy-of-dravix" "$work/two/prefix")

cd "$work"
files=$(cd one/prefix && find . -type f | sort)
[ -n "$files" ] || { echo "FAILED: nothing was installed"; exit 1; }
differ=()
if ! diff <(echo "$files") <(cd two/prefix && find . -type f | sort) >/dev/null; then
  echo "FAILED: the two installs hold other files:"
  diff <(echo "$files") <(cd two/prefix && find . -type f | sort) || true
  exit 1
fi
while read -r file; do
  cmp -s "one/prefix/$file" "two/prefix/$file" || differ+=("$file")
done <<<"$files"
count=$(wc -l <<<"$files")
if [ ${#differ[@]} -eq 0 ]; then
  echo "ok: all $count installed files are the same in both builds of $commit"
  exit 0
fi
for file in "${differ[@]}"; do
  echo "DIFFERS: $file"
  if command -v diffoscope >/dev/null; then
    diffoscope --no-progress --max-report-size 20000 --text - "one/prefix/$file" "two/prefix/$file" | head -40 || true
  fi
done
echo "FAILED: ${#differ[@]} of $count installed files differ between the two builds"
exit 1
