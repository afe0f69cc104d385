#!/usr/bin/env bash
# The bills of materials and sums as installed: installs the bridge and maven
# components into a prefix, checks every sum file of the Maven repository
# (.sha1, .md5, .sha256, .sha512) against its file, then the bills (beside the
# bridge, and each artifact's -cyclonedx.json) with check_sbom.js: valid
# CycloneDX, and every hash that of an installed file, the test kit's natives
# taken from its installed jar.
# Usage: check_sbom.sh BUILD_DIR NODE VALIDATOR_DIR JAR_TOOL
set -u
build=$1 node=$2 validator=$3 jar=$4
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
for component in bridge maven; do
  cmake --install "$build" --prefix "$prefix" --component $component >/dev/null || {
    echo "FAIL: cmake --install --component $component"
    exit 1
  }
done
fail=0
repo=$prefix/share/maven-repo
sums=0
while read -r file; do
  for sum in sha1 md5 sha256 sha512; do
    sums=$((sums + 1))
    if [ "$(cat "$file.$sum" 2>/dev/null)" != "$("${sum}sum" "$file" | cut -d' ' -f1)" ]; then
      echo "FAIL: ${file#"$repo"/}.$sum is missing or not the $sum of its file"
      fail=1
    fi
  done
done < <(find "$repo" -type f ! -name '*.sha1' ! -name '*.md5' ! -name '*.sha256' ! -name '*.sha512' | sort)
[ $fail -eq 0 ] && echo "ok: all $sums sums of the Maven repository match their files"
# The natives as the test kit's jar holds them.
while read -r kit; do
  mkdir -p "$work/files/kit" && (cd "$work/files/kit" && "$jar" --extract --file "$kit" natives/)
done < <(find "$repo" -name 'olvan-dravix-testkit-*.jar' ! -name '*-sources.jar' ! -name '*-javadoc.jar')
mapfile -t boms < <(find "$prefix" -name '*-cyclonedx.json' -o -name '*.cdx.json' | sort)
if [ ${#boms[@]} -lt 2 ]; then
  echo "FAIL: found ${#boms[@]} bills of materials in the install"
  exit 1
fi
mv "$prefix" "$work/files/prefix"
"$node" "$here/check_sbom.js" "$validator" "$work/files" "${boms[@]/#$prefix/$work/files/prefix}" || fail=1
exit $fail
