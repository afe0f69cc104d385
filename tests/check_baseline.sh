#!/usr/bin/env bash
# The platform baseline a set of shipped libraries must keep: no symbol version
# they need (readelf -V, the version needs that objdump -T shows per symbol)
# newer than the baseline's in each family (GLIBC, GLIBCXX, CXXABI, GCC), and
# every loadable segment aligned to at least ALIGN bytes (the largest page
# size they must load on). The README must state the same baseline.
# Usage: check_baseline.sh READELF README ALIGN NAME GLIBC GLIBCXX CXXABI GCC FILE...
set -u
readelf=$1 readme=$2 align=$3 name=$4
declare -A baseline=([GLIBC]=$5 [GLIBCXX]=$6 [CXXABI]=$7 [GCC]=$8)
shift 8
fail=0
newer() { [ "$1" != "$2" ] && [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -1)" = "$1" ]; }
for file in "$@"; do
  worst=""
  while read -r version; do
    family=${version%%_*} number=${version#*_}
    [ -n "${baseline[$family]:-}" ] || continue
    if newer "$number" "${baseline[$family]}"; then
      echo "FAIL: $(basename "$file") needs $version, newer than the $name baseline's ${family}_${baseline[$family]}"
      fail=1
    fi
    worst="$worst $version"
  done < <("$readelf" -V -W "$file" | sed -n 's/.*Name: \([A-Z]*_[0-9.]*\) .*/\1/p' | sort -u -V)
  echo "$(basename "$file") needs:$worst"
  while read -r segment; do
    if [ $((segment)) -lt $((align)) ]; then
      echo "FAIL: $(basename "$file") has a loadable segment aligned to $segment, less than $align"
      fail=1
    fi
  done < <("$readelf" -l -W "$file" | awk '$1 == "LOAD" {print $NF}')
done
for family in GLIBC GLIBCXX CXXABI; do
  grep -q -F "\`${family}_${baseline[$family]}\`" "$readme" ||
    { echo "FAIL: the README does not state ${family}_${baseline[$family]} of the $name baseline"; fail=1; }
done
[ $fail -eq 0 ] && echo "ok: $# libraries within the $name baseline (GLIBC_${baseline[GLIBC]}, GLIBCXX_${baseline[GLIBCXX]}, CXXABI_${baseline[CXXABI]}, GCC_${baseline[GCC]}, segments aligned to $align)"
exit $fail
