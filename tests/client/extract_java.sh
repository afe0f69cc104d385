#!/usr/bin/env bash
# Writes the README's first ```java block that contains MARKER to OUT.
# MARKER is a fixed string.
# Usage: extract_java.sh README MARKER OUT
set -u
readme=$1 marker=$2 out=$3
awk -v marker="$marker" '/^```java$/ {block=""; inside=1; next}
     /^```$/ && inside {inside=0; if (index(block, marker)) {printf "%s", block; exit}}
     inside {block = block $0 "\n"}' "$readme" >"$out"
if ! grep -q -F "$marker" "$out"; then
  echo "FAIL: no \`\`\`java block with '$marker' in $readme"
  exit 1
fi
