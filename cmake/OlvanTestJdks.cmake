# The JDKs that run the Java suites. Java users run the API on JDK 17 and on
# JDK 25, so every Java CTest entry is registered once per JDK, labelled jdk17
# or jdk25: the build's own JDK, plus each other JDK of those feature versions
# found under /usr/lib/jvm, or the JDK homes that OLVAN_TEST_JDKS names
# (separated by ':' or ';'). The sanitizer build tests on the build's JDK alone.
#
# Sets:
#   OLVAN_TEST_JDK_LABELS          jdk17, jdk25, ... one per JDK
#   OLVAN_TEST_JAVA_<label>        its java executable
#   OLVAN_TEST_JAVA_OPTIONS_<label> the options every test JVM of it gets
#   OLVAN_BUILD_JDK_LABEL          the label of the build's JDK
# and registers a skipped CTest entry jdk<N>.missing for a wanted JDK that is
# not there, so that the summary says so.

set(OLVAN_WANTED_TEST_JDKS ${OLVAN_TESTED_JDK_VERSIONS})
set(OLVAN_TEST_JDKS "$ENV{OLVAN_TEST_JDKS}" CACHE STRING
  "JDK homes to run the Java suites on besides the build's JDK (':'-separated); empty: search /usr/lib/jvm")

# The feature version (17 of "17.0.15") of the JDK at HOME, or empty.
function(olvan_jdk_feature_version home out)
  set(version "")
  if(EXISTS "${home}/release" AND EXISTS "${home}/bin/java")
    file(STRINGS "${home}/release" line REGEX "^JAVA_VERSION=")
    if(line MATCHES "^JAVA_VERSION=\"([0-9]+)")
      set(version ${CMAKE_MATCH_1})
    endif()
  endif()
  set(${out} "${version}" PARENT_SCOPE)
endfunction()

# Options a test JVM of this feature version needs: from JDK 24 on, the API
# (on the class path in the tests) is allowed to load its bridge without the
# JVM's restricted-method warning, as the README tells users to do.
function(olvan_jdk_options version out)
  if(version GREATER_EQUAL 24)
    set(${out} "--enable-native-access=ALL-UNNAMED" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

function(olvan_add_test_jdk home version)
  set(label jdk${version})
  if(label IN_LIST OLVAN_TEST_JDK_LABELS)
    return()
  endif()
  olvan_jdk_options(${version} options)
  set(OLVAN_TEST_JDK_LABELS ${OLVAN_TEST_JDK_LABELS} ${label} PARENT_SCOPE)
  set(OLVAN_TEST_JAVA_${label} "${home}/bin/java" PARENT_SCOPE)
  set(OLVAN_TEST_JAVA_OPTIONS_${label} "${options}" PARENT_SCOPE)
endfunction()

set(OLVAN_TEST_JDK_LABELS "")
cmake_path(GET Java_JAVA_EXECUTABLE PARENT_PATH olvan_build_jdk_bin)
cmake_path(GET olvan_build_jdk_bin PARENT_PATH olvan_build_jdk)
file(REAL_PATH "${olvan_build_jdk}" olvan_build_jdk)
olvan_jdk_feature_version("${olvan_build_jdk}" olvan_build_version)
if(NOT olvan_build_version)
  set(olvan_build_version ${Java_VERSION_MAJOR})
endif()
set(OLVAN_BUILD_JDK_LABEL jdk${olvan_build_version})
olvan_add_test_jdk("${olvan_build_jdk}" ${olvan_build_version})

if(NOT OLVAN_SANITIZE)
  if(OLVAN_TEST_JDKS)
    string(REPLACE ":" ";" olvan_candidates "${OLVAN_TEST_JDKS}")
    set(olvan_searched "OLVAN_TEST_JDKS=${OLVAN_TEST_JDKS}")
  elseif(CMAKE_CROSSCOMPILING)
    # The build machine's JDKs cannot load a bridge of another architecture.
    set(olvan_candidates "")
    set(olvan_searched "no JDK of the build machine when cross-compiling; OLVAN_TEST_JDKS may name the target's")
  else()
    file(GLOB olvan_candidates LIST_DIRECTORIES true /usr/lib/jvm/*)
    set(olvan_searched "/usr/lib/jvm; OLVAN_TEST_JDKS may name its home")
  endif()
  foreach(candidate IN LISTS olvan_candidates)
    if(NOT IS_DIRECTORY "${candidate}")
      continue()
    endif()
    file(REAL_PATH "${candidate}" candidate)
    olvan_jdk_feature_version("${candidate}" version)
    if(NOT version)
      if(OLVAN_TEST_JDKS)
        message(WARNING "OLVAN_TEST_JDKS names ${candidate}, which is no JDK home (no release file or bin/java)")
      endif()
      continue()
    endif()
    if(version IN_LIST OLVAN_WANTED_TEST_JDKS OR OLVAN_TEST_JDKS)
      olvan_add_test_jdk("${candidate}" ${version})
    endif()
  endforeach()
endif()

set(olvan_jdk_report "")
foreach(label IN LISTS OLVAN_TEST_JDK_LABELS)
  list(APPEND olvan_jdk_report "${label} (${OLVAN_TEST_JAVA_${label}})")
endforeach()
list(JOIN olvan_jdk_report ", " olvan_jdk_report)
message(STATUS "Java suites run on: ${olvan_jdk_report}")

if(NOT OLVAN_SANITIZE)
  foreach(version IN LISTS OLVAN_WANTED_TEST_JDKS)
    if(NOT jdk${version} IN_LIST OLVAN_TEST_JDK_LABELS)
      set(olvan_missing "no JDK ${version} found (searched ${olvan_searched}): its Java suites did not run")
      message(WARNING "${olvan_missing}")
      add_test(NAME jdk${version}.missing COMMAND sh -c "echo \"$1\"; exit 77" sh "${olvan_missing}")
      set_tests_properties(jdk${version}.missing PROPERTIES SKIP_RETURN_CODE 77 LABELS jdk${version})
    endif()
  endforeach()
endif()

# olvan_add_test_per_jdk(NAME <name> COMMAND <args...> [ENVIRONMENT <vars...>])
# Registers <name>.<label> for each test JDK, with @JAVA@ in the command
# replaced by that JDK's java and its options in OLVAN_JDK_OPTIONS, which the
# test runners pass to every JVM they start. The sanitizer environment is
# added when there is one.
function(olvan_add_test_per_jdk)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "COMMAND;ENVIRONMENT")
  foreach(label IN LISTS OLVAN_TEST_JDK_LABELS)
    list(TRANSFORM arg_COMMAND REPLACE "@JAVA@" "${OLVAN_TEST_JAVA_${label}}" OUTPUT_VARIABLE command)
    add_test(NAME ${arg_NAME}.${label} COMMAND ${command})
    set_tests_properties(${arg_NAME}.${label} PROPERTIES LABELS ${label}
      ENVIRONMENT "OLVAN_JDK_OPTIONS=${OLVAN_TEST_JAVA_OPTIONS_${label}};${arg_ENVIRONMENT};${OLVAN_SANITIZER_TEST_ENVIRONMENT}")
    if(arg_TIMEOUT)
      set_tests_properties(${arg_NAME}.${label} PROPERTIES TIMEOUT ${arg_TIMEOUT})
    endif()
  endforeach()
endfunction()
