# OLVAN_SANITIZE builds every native target of this tree (the bridge and its
# test variant, the stand-ins, the test JNI libraries, the C++ tests) with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any undefined behaviour
# aborts, so a report can never scroll past as a warning.
#
# The JVM that runs the Java suite is not instrumented: the sanitizer runtimes
# must be the first libraries in the process, so the Java test runner preloads
# them. OLVAN_SANITIZER_TEST_ENVIRONMENT carries what the runner needs; every
# CTest entry that starts a JVM on our libraries must get it.
set(OLVAN_SANITIZER_TEST_ENVIRONMENT "")
if(NOT OLVAN_SANITIZE)
  return()
endif()

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR NOT CMAKE_C_COMPILER_ID STREQUAL "GNU")
  message(FATAL_ERROR "OLVAN_SANITIZE expects gcc: the Java runner preloads gcc's sanitizer runtimes")
endif()

add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined)

# The runtimes of the compiler that built the libraries, not whichever one the
# dynamic loader would find first.
set(olvan_sanitizer_preload "")
foreach(runtime libasan.so libubsan.so)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
    OUTPUT_VARIABLE olvan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  if(NOT IS_ABSOLUTE "${olvan_runtime}" OR NOT EXISTS "${olvan_runtime}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} names no ${runtime} (got '${olvan_runtime}'): install its sanitizer runtime")
  endif()
  file(REAL_PATH "${olvan_runtime}" olvan_runtime)
  list(APPEND olvan_sanitizer_preload "${olvan_runtime}")
endforeach()
string(JOIN ":" olvan_sanitizer_preload ${olvan_sanitizer_preload})

set(OLVAN_SANITIZER_TEST_ENVIRONMENT
  "OLVAN_SANITIZER_PRELOAD=${olvan_sanitizer_preload}"
  "OLVAN_LSAN_SUPPRESSIONS=${PROJECT_SOURCE_DIR}/tests/sanitizer/lsan.supp")
message(STATUS "Sanitizers on; Java tests preload ${olvan_sanitizer_preload}")
