# The shell checks' one helper, sourced: check LABEL CONDITION evaluates the
# condition (a shell command line, so that pipes, here-strings and tests read
# as they would typed) and prints "ok: LABEL" or "FAIL: LABEL"; the script
# ends with exit "$fail".
fail=0
check() {
  if eval "$2"; then
    echo "ok: $1"
  else
    echo "FAIL: $1"
    fail=1
  fi
}
