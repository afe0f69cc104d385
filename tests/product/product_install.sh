#!/usr/bin/env bash
# Builds the bridge against an installed product, as a deployer would, and
# checks what was installed. The product is made of our stand-ins, built on
# their own the way the real product comes: in <home>/lib/<platform>/, with the
# string functions in a library of another name (libolvanddscore.so) and an
# unrelated middleware library beside it. Then:
#   - configuring fails, saying what it looked for and where, for a folder
#     without the service library and for one without the string library;
#   - a fresh build with OLVAN_DRAVIX_HOME builds only the bridge and the jars,
#     and cmake --install puts exactly those beside the service library,
#     changing no product file;
#   - the installed bridge keeps its ELF promises with the product's names;
#   - java -jar on the installed API jar (the installation check) passes on
#     every JDK given, with no warning, and on an installation of our own
#     stand-ins (--component standin);
#   - it fails, naming service_verbosity, on a product whose verbosity levels
#     are not the Java side's.
# Usage: product_install.sh SOURCE_DIR MAIN_BUILD_DIR SCRATCH_DIR JAVA...
# OLVAN_PRODUCT_PLATFORM names the product's platform folder (x86_64-linux by
# default); OLVAN_PRODUCT_CMAKE_ARGS are given to every configure (a cross
# build's toolchain, say).
set -u
src=$1 main_build=$2 scratch=$3
shift 3
javas=("$@")
here=$(dirname "$(realpath "$0")")
fail=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; fail=1; }
rm -rf "$scratch"
mkdir -p "$scratch"
log=$scratch/log
platform=${OLVAN_PRODUCT_PLATFORM:-x86_64-linux}
read -r -a cmake_args <<<"${OLVAN_PRODUCT_CMAKE_ARGS:-}"

# make_product HOME [cmake options...]: the stand-ins built as an installed product.
make_product() {
  local home=$1
  shift
  cmake -S "$src/standin" -B "$home.build" -DCMAKE_BUILD_TYPE=Release "${cmake_args[@]}" \
    -DOLVAN_LIB_DIR="$home/lib/$platform" -DOLVAN_STANDIN_DDS_NAME=olvanddscore \
    -DOLVAN_STANDIN_UNRELATED_LIBRARY=ON -DOLVAN_STANDIN_CONTROLS=OFF "$@" >"$log" 2>&1 &&
    cmake --build "$home.build" -j2 >>"$log" 2>&1 || { cat "$log"; echo "FAIL: building the product $home"; exit 1; }
}
# fingerprint HOME: every product file with its checksum.
fingerprint() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 sha256sum); }
# expect_configure_failure NAME HOME PATTERN
expect_configure_failure() {
  local message
  if cmake -S "$src" -B "$scratch/refused" "${cmake_args[@]}" -DOLVAN_DRAVIX_HOME="$2" >"$log" 2>&1; then
    bad "$1: configuring succeeded"
    return
  fi
  # CMake folds long messages: the text is matched unfolded.
  message=$(sed -n '/^CMake Error/,/^Call Stack/p' "$log" | sed '1d;$d' | tr -s ' \n' ' ')
  if grep -q -E -e "$3" <<<"$message"; then
    ok "$1:$message"
  else
    cat "$log"
    bad "$1: the message does not say '$3'"
  fi
  rm -rf "$scratch/refused"
}
# installation_check NAME JAR EXPECTED_STATUS PATTERN
installation_check() {
  local java out=$scratch/check.out status
  for java in "${javas[@]}"; do
    "$java" -jar "$2" >"$out" 2>&1
    status=$?
    if [ $status -ne "$3" ] || ! grep -q -E -e "$4" "$out" || ! "$here/../check_jvm_output.sh" "$out" >/dev/null; then
      cat "$out"
      bad "$1 on $java: exit $status (wanted $3), or no '$4', or a warning"
    else
      ok "$1 on $java: exit $status"
    fi
  done
  cat "$out"
}

home=$scratch/product
make_product "$home"
ls -l "$home/lib/$platform"
before=$(fingerprint "$home")

mkdir -p "$scratch/empty" "$scratch/service-only/lib"
cp "$home/lib/$platform/libolvandravix.so" "$home/lib/$platform/libolvanddsextra.so" "$scratch/service-only/lib/"
expect_configure_failure "no service library" "$scratch/empty" "no libolvandravix.so in"
expect_configure_failure "no string library" "$scratch/service-only" "no library in .* defines both DDS_String_dup and DDS_String_free \\(looked at: libolvanddsextra.so\\)"

bridge_build=$scratch/bridge.build
if ! { cmake -S "$src" -B "$bridge_build" -DCMAKE_BUILD_TYPE=Release "${cmake_args[@]}" -DOLVAN_DRAVIX_HOME="$home" &&
       cmake --build "$bridge_build" -j2 && cmake --install "$bridge_build"; } >"$log" 2>&1; then
  cat "$log"
  bad "configure, build and install against the product"
  exit 1
fi
grep -E '^-- (Dravix product|Installing)' "$log"
built=$(cd "$bridge_build/lib" && ls | tr '\n' ' ')
[ "$built" = "libolvanjnidravix-1.0.cdx.json libolvanjnidravix.so olvan-dravix-1.0-cyclonedx.json olvan-dravix-1.0-javadoc.jar olvan-dravix-1.0-sources.jar olvan-dravix-1.0.jar olvan-dravix-1.0.pom " ] &&
  ok "only the bridge, the jars and their bills of materials were built ($built)" ||
  bad "built more than the bridge, the jars and their bills of materials: $built"
[ -z "$(find "$bridge_build" -name 'libolvandds*' -o -name 'libolvandravix*')" ] &&
  ok "no stand-in built into the bridge's build" || bad "a stand-in was built"

after=$(fingerprint "$home")
added=$(diff <(echo "$before") <(echo "$after") | sed -n 's/^> [0-9a-f]*  //p' | sort | tr '\n' ' ')
changed=$(diff <(echo "$before") <(echo "$after") | grep -c '^<')
[ "$changed" -eq 0 ] && ok "no product file changed" || bad "$changed product files changed or vanished"
expected="./lib/$platform/libolvanjnidravix-1.0.cdx.json ./lib/$platform/libolvanjnidravix.so ./lib/$platform/olvan-dravix-1.0-javadoc.jar ./lib/$platform/olvan-dravix-1.0-sources.jar ./lib/$platform/olvan-dravix-1.0.jar ./lib/$platform/olvan-dravix-1.0.pom "
[ "$added" = "$expected" ] && ok "installed beside the service library: $added" || bad "installed: $added"
# The bill names what this product's bridge needs by the product's own file names.
bill=$home/lib/$platform/libolvanjnidravix-1.0.cdx.json
grep -q '"name" : "libolvanddscore.so"' "$bill" && grep -q '"name" : "libolvandravix.so"' "$bill" &&
  ok "the bill of materials names the product's libolvandravix.so and libolvanddscore.so" ||
  bad "the bill of materials does not name the product's service and middleware libraries"

"$here/../check_elf.sh" --hardened "$home/lib/$platform/libolvanjnidravix.so" libolvandravix.so libolvanddscore.so libolvandds.so ||
  bad "the installed bridge's ELF entries"
installation_check "installation check on the product" "$home/lib/$platform/olvan-dravix-1.0.jar" 0 \
  "Middleware: +libolvanddscore.so -> .*/product/lib/$platform/libolvanddscore.so"
! grep -q 'stand-in' "$scratch/check.out" && ok "the product is not taken for the stand-in" ||
  bad "the check calls the product a stand-in"

# Our own stand-ins installed with the bridge, as README's install commands do.
ours=$scratch/ours
cmake --install "$main_build" --prefix "$ours" >"$log" 2>&1 &&
  cmake --install "$main_build" --prefix "$ours" --component standin >>"$log" 2>&1 || { cat "$log"; bad "install of the stand-ins"; }
installation_check "installation check on the stand-ins installed" "$ours/lib/olvan-dravix/olvan-dravix-1.0.jar" 0 \
  'PASSED: all 6 cases'
grep -q 'libolvandravix.so -> .* (the stand-in for tests, not the product)' "$scratch/check.out" &&
  grep -q '^The service library is the stand-in for tests' "$scratch/check.out" &&
  ok "the check says the stand-in is the stand-in" || bad "the check does not say it ran on the stand-in"

# A product whose levels differ from the Java side's: the same bridge and jar beside it.
other=$scratch/other-levels
make_product "$other" "-DOLVAN_STANDIN_VERBOSITY_LEVELS=0;2;4;6"
cp "$home/lib/$platform/libolvanjnidravix.so" "$home/lib/$platform/olvan-dravix-1.0.jar" "$other/lib/$platform/"
installation_check "installation check on a product with other verbosity levels" \
  "$other/lib/$platform/olvan-dravix-1.0.jar" 1 \
  'case 3: FAILED, differs in service_verbosity'
grep -q "verbosity levels (DravixProperty.LOG_VERBOSITY_\*: 0, 1, 3, 7) are not the service library's" "$scratch/check.out" &&
  ok "the failure says what it means" || bad "the failure does not explain the verbosity levels"

[ $fail -eq 0 ] && rm -rf "$scratch"
exit $fail
