#!/usr/bin/env bash
# Runs a command, normally a JVM, so that our sanitizer-built libraries work in
# it: in a sanitizer build (CMake option OLVAN_SANITIZE sets
# OLVAN_SANITIZER_PRELOAD and OLVAN_LSAN_SUPPRESSIONS on the tests) the
# runtimes are preloaded, since the JVM itself is not instrumented and they
# must come first; otherwise the command runs as it is. Use it for the JVM
# alone, not for a shell script around it: LSan would check the shell too.
# Usage: sanitized.sh COMMAND [ARGS...]
#
# The JVM handles SEGV, BUS and FPE itself (implicit null checks, safepoints),
# so the sanitizers leave those signals alone. LSan needs use_tls=0 in a JVM;
# the short malloc context keeps the JVM suppressions from reaching past our
# own frames (see lsan.supp). Options already in the environment come last
# and win.
if [ -z "${OLVAN_SANITIZER_PRELOAD:-}" ]; then
  exec "$@"
fi
: "${OLVAN_LSAN_SUPPRESSIONS:=$(dirname "$0")/lsan.supp}"
exec env \
  "LD_PRELOAD=$OLVAN_SANITIZER_PRELOAD${LD_PRELOAD:+:$LD_PRELOAD}" \
  "ASAN_OPTIONS=detect_leaks=1:malloc_context_size=4:handle_segv=0:handle_sigbus=0:handle_sigfpe=0:allow_user_segv_handler=1:detect_stack_use_after_return=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}" \
  "LSAN_OPTIONS=use_tls=0:suppressions=$OLVAN_LSAN_SUPPRESSIONS:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}" \
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}" \
  "$@"
