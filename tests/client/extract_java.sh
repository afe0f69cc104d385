#!/usr/bin/env bash
# Writes the README's first ```java block (```LANGUAGE, given one) that
# contains MARKER to OUT, without the indentation of its opening line (a block
# inside a list item). MARKER is a fixed string.
# Usage: extract_java.sh README MARKER OUT [LANGUAGE]
set -u
readme=$1 marker=$2 out=$3 language=${4:-java}
awk -v marker="$marker" -v open='^ *```'"$language"'$' \
  '$0 ~ open {block=""; inside=1; match($0, /^ */); indent=RLENGTH; next}
   /^ *```$/ && inside {inside=0; if (index(block, marker)) {printf "%s", block; exit}}
   inside {block = block substr($0, indent + 1) "\n"}' "$readme" >"$out"
if ! grep -q -F "$marker" "$out"; then
  echo "FAIL: no \`\`\`$language block with '$marker' in $readme"
  exit 1
fi
