#!/usr/bin/env bash
# The rooms of docs/architecture.md as the sources have them: each room's
# #include lines name only the rooms the page lets it include (the javac -h
# headers and the C and C++ libraries aside), and the API package and the
# diagnostics package do not both import the other.
# Usage: check_rooms.sh SOURCE_DIR
set -u
src=$1
source "$(dirname "$0")/../check.sh"

# The project's headers a room includes, one "file: header" per line, those of
# its own room and the allowed ones left out.
includes_outside() {  # ROOM ALLOWED-REGEX
  local room=$1 allowed=$2
  grep -HoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^>"]+[>"]' "$src/$1"/*.h "$src/$1"/*.cpp 2>/dev/null |
    sed -E 's/#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"]/\1/; s/:[[:space:]]*/: /' |
    grep -vE ": ($room/|$allowed)" |
    grep -E ': (\.\./|[a-z]+/|jni\.h|jni_md\.h|com_olvan_)' || true
}

room_check() {  # ROOM ALLOWED-REGEX DESCRIPTION
  local found
  found=$(includes_outside "$1" "$2")
  check "$1 includes $3${found:+ (found: ${found//$'\n'/; })}" "[ -z \"\$found\" ]"
}

room_check engine '^$' "nothing of the project"
room_check text '^$' "no JNI header and no other room"
room_check bridge '(engine/|text/|jni\.h)' "no property/ or service/"
room_check property '(bridge/|engine/|jni\.h|com_olvan_dravix_)' "only bridge/ and engine/"
room_check service '(bridge/|engine/|jni\.h|com_olvan_dravix_)' "only bridge/ and engine/"

# The files of a package that name another package's classes, by import or in full.
uses() {  # PACKAGE-DIR NAMED-PACKAGE-REGEX
  grep -lE "(^import (static )?|[^.[:alnum:]])$2\.[A-Z]" "$src/java/src/com/olvan/dravix/$1"*.java 2>/dev/null |
    xargs -r -n1 basename | tr '\n' ' ' || true
}
api_uses=$(uses "" 'com\.olvan\.dravix\.diagnostics')
diagnostics_uses=$(uses diagnostics/ 'com\.olvan\.dravix')
check "the API package and diagnostics do not import each other (API: ${api_uses:-none}; diagnostics: ${diagnostics_uses:-none})" \
  "[ -z \"\$api_uses\" ] || [ -z \"\$diagnostics_uses\" ]"
exit "$fail"
