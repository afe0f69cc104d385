# The installed product's libraries, when OLVAN_DRAVIX_HOME names its folder:
# the imported targets olvan::service (libolvandravix.so) and olvan::strings
# (the library that defines DDS_String_dup and DDS_String_free), and
# OLVAN_PRODUCT_LIB_DIR, the folder of the service library. Without it,
# OLVAN_PRODUCT_LIB_DIR is empty and the build makes the stand-ins.
#
# The product's middleware comes as several libraries whose file names are
# its own, so the string library is found by what it defines, not by name.

set(OLVAN_PRODUCT_LIB_DIR "")

if(NOT OLVAN_DRAVIX_HOME)
  return()
endif()

set(olvan_string_functions DDS_String_dup DDS_String_free)

# Whether FILE is a shared library that defines every function of the list.
function(olvan_defines_all file functions out)
  execute_process(COMMAND ${CMAKE_NM} -D --defined-only "${file}"
    OUTPUT_VARIABLE symbols ERROR_QUIET RESULT_VARIABLE status)
  set(found TRUE)
  if(NOT status EQUAL 0)
    set(found FALSE)
  endif()
  foreach(function IN LISTS functions)
    if(NOT symbols MATCHES "[ \t][TtWi] ${function}(@@?[^\n]*)?\n")
      set(found FALSE)
    endif()
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# An imported library linked the way the loader will look for it: by its
# SONAME, or by its file name when it has none (never by a build path).
function(olvan_import_library target file)
  add_library(${target} SHARED IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${file}")
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p "${file}" OUTPUT_VARIABLE header ERROR_QUIET)
  if(header MATCHES "\n[ \t]*SONAME[ \t]+([^\n]+)")
    set_target_properties(${target} PROPERTIES IMPORTED_SONAME "${CMAKE_MATCH_1}")
  else()
    set_target_properties(${target} PROPERTIES IMPORTED_NO_SONAME TRUE)
  endif()
endfunction()

file(REAL_PATH "${OLVAN_DRAVIX_HOME}" olvan_home)
file(GLOB olvan_below_lib LIST_DIRECTORIES true "${olvan_home}/lib/*")
list(SORT olvan_below_lib)
set(olvan_service_candidates "${olvan_home}/lib/libolvandravix.so")
foreach(folder IN LISTS olvan_below_lib)
  if(IS_DIRECTORY "${folder}")
    list(APPEND olvan_service_candidates "${folder}/libolvandravix.so")
  endif()
endforeach()
list(APPEND olvan_service_candidates "${olvan_home}/libolvandravix.so")
set(olvan_service "")
foreach(candidate IN LISTS olvan_service_candidates)
  if(EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
    set(olvan_service "${candidate}")
    break()
  endif()
endforeach()
if(NOT olvan_service)
  message(FATAL_ERROR "OLVAN_DRAVIX_HOME=${OLVAN_DRAVIX_HOME}: no libolvandravix.so in ${olvan_home}/lib, "
    "in a folder below it, or in ${olvan_home}. Name the folder of the installed Dravix product.")
endif()
cmake_path(GET olvan_service PARENT_PATH OLVAN_PRODUCT_LIB_DIR)

if(OLVAN_DDS_LIBRARY)
  if(NOT EXISTS "${OLVAN_DDS_LIBRARY}")
    message(FATAL_ERROR "OLVAN_DDS_LIBRARY=${OLVAN_DDS_LIBRARY}: no such file")
  endif()
  olvan_defines_all("${OLVAN_DDS_LIBRARY}" "${olvan_string_functions}" olvan_defines)
  if(NOT olvan_defines)
    message(FATAL_ERROR "OLVAN_DDS_LIBRARY=${OLVAN_DDS_LIBRARY} does not define both DDS_String_dup and DDS_String_free")
  endif()
  set(olvan_strings "${OLVAN_DDS_LIBRARY}")
else()
  file(GLOB olvan_libraries "${OLVAN_PRODUCT_LIB_DIR}/*.so" "${OLVAN_PRODUCT_LIB_DIR}/*.so.*")
  list(SORT olvan_libraries)
  set(olvan_looked "")
  set(olvan_matches "")
  set(olvan_seen "")
  foreach(library IN LISTS olvan_libraries)
    file(REAL_PATH "${library}" real)
    if(library STREQUAL olvan_service OR real IN_LIST olvan_seen OR IS_DIRECTORY "${library}")
      continue()
    endif()
    list(APPEND olvan_seen "${real}")
    cmake_path(GET library FILENAME name)
    list(APPEND olvan_looked "${name}")
    olvan_defines_all("${library}" "${olvan_string_functions}" olvan_defines)
    if(olvan_defines)
      list(APPEND olvan_matches "${library}")
    endif()
  endforeach()
  if(NOT olvan_matches)
    list(JOIN olvan_looked ", " olvan_looked)
    message(FATAL_ERROR "OLVAN_DRAVIX_HOME=${OLVAN_DRAVIX_HOME}: no library in ${OLVAN_PRODUCT_LIB_DIR} defines both "
      "DDS_String_dup and DDS_String_free (looked at: ${olvan_looked}). Name it with -DOLVAN_DDS_LIBRARY=<file>.")
  endif()
  list(GET olvan_matches 0 olvan_strings)
  list(LENGTH olvan_matches olvan_match_count)
  if(olvan_match_count GREATER 1)
    message(WARNING "Several libraries in ${OLVAN_PRODUCT_LIB_DIR} define the string functions (${olvan_matches}); "
      "using ${olvan_strings}. -DOLVAN_DDS_LIBRARY=<file> chooses another.")
  endif()
endif()

olvan_import_library(olvan::service "${olvan_service}")
olvan_import_library(olvan::strings "${olvan_strings}")
message(STATUS "Dravix product: service library ${olvan_service}, string functions from ${olvan_strings}")
