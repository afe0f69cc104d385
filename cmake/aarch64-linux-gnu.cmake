# Cross-building for 64-bit ARM Linux with Debian's cross compiler, the target's
# libraries and JDK unpacked in OLVAN_ARM64_ROOT (tools/test-aarch64.sh makes
# it), and the tests run under qemu-user with that root as the loader's prefix.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

if(NOT OLVAN_ARM64_ROOT)
  set(OLVAN_ARM64_ROOT "$ENV{OLVAN_ARM64_ROOT}")
endif()
if(NOT OLVAN_ARM64_ROOT OR NOT IS_DIRECTORY "${OLVAN_ARM64_ROOT}")
  message(FATAL_ERROR "OLVAN_ARM64_ROOT must name the arm64 root (tools/test-aarch64.sh makes one)")
endif()
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OLVAN_ARM64_ROOT)

set(CMAKE_FIND_ROOT_PATH "${OLVAN_ARM64_ROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Headers from the root first; jars (found as files) from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)

find_program(OLVAN_QEMU_AARCH64 qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${OLVAN_QEMU_AARCH64};-L;${OLVAN_ARM64_ROOT}")
