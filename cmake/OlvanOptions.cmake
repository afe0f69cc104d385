# Every choice a user of this build has, in one place. A -D on the command
# line or a preset sets them; those that only make sense with another say so
# with cmake_dependent_option and fall back where it is off. The stand-ins'
# own choices (standin/CMakeLists.txt) stay with them: that folder is also a
# project of its own.
include(CMakeDependentOption)

# What is built against: an installed product's libraries, or the stand-ins.
set(OLVAN_DRAVIX_HOME "" CACHE PATH
  "Folder of an installed Dravix product: build the bridge against its libraries instead of the stand-ins")
set(OLVAN_DDS_LIBRARY "" CACHE FILEPATH
  "The product's library that defines DDS_String_dup and DDS_String_free (default: found by those symbols beside the service library)")

# What is built. The tests, the demo and the test kit need the stand-ins, so
# against a product only the bridge and the API jars are.
cmake_dependent_option(OLVAN_BUILD_TESTS "Build the C++ and Java test suites, the soak, fuzz and benchmark programs"
  ON "NOT OLVAN_DRAVIX_HOME" OFF)
cmake_dependent_option(OLVAN_BUILD_DEMO "Build the demo program (runs against the stand-in service)"
  ON "NOT OLVAN_DRAVIX_HOME" OFF)
cmake_dependent_option(OLVAN_BUILD_TESTKIT
  "Build the test kit jar (com.olvan:olvan-dravix-testkit), for the maven component" ON "NOT OLVAN_DRAVIX_HOME" OFF)
cmake_dependent_option(OLVAN_TEST_BIG_STRINGS
  "Register the check of strings over 2 GiB (needs about 9 GB of memory)" OFF "OLVAN_BUILD_TESTS" OFF)

# How it is built: policies, hardening on by default; the presets and CI turn
# on the sanitizers and warnings as errors (CMAKE_COMPILE_WARNING_AS_ERROR).
option(OLVAN_HARDEN "Build the bridge with stack protection, _FORTIFY_SOURCE=2 and full RELRO" ON)
option(OLVAN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(OLVAN_REPRODUCIBLE "Outputs that depend on the sources alone: no build paths, dated and ordered jar entries" ON)
option(OLVAN_TEXT_VECTOR_UNITS
  "Decode and copy text sixteen bytes at a time with SSE2 or NEON where the target has them" ON)

# Where tools/ensure_deps.sh test puts what the tests fetch (the bills of
# materials' validator, what Maven Central serves): the same default there.
if(DEFINED ENV{OLVAN_TOOLS_DIR})
  set(olvan_tools_default "$ENV{OLVAN_TOOLS_DIR}")
else()
  set(olvan_tools_default /opt/olvan-dravix-tools)
endif()
set(OLVAN_TOOLS_DIR "${olvan_tools_default}" CACHE PATH
  "Where tools/ensure_deps.sh installs the tests' tools (its OLVAN_TOOLS_DIR)")

# Where it is installed.
set(OLVAN_INSTALL_DIR "" CACHE PATH
  "Where cmake --install puts the bridge and the API jars (relative: below the prefix); default: the product's folder with OLVAN_DRAVIX_HOME, else lib/olvan-dravix")
