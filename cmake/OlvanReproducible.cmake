# Builds that depend on their sources alone, so that two builds of one commit,
# in two folders at two times, install the same bytes:
#   OLVAN_SOURCE_DATE_EPOCH  the build time: SOURCE_DATE_EPOCH from the
#                            environment, else the last commit's time;
#   OLVAN_REPRODUCIBLE       on: every native target of the tree is compiled
#                            without the build's paths, with a build ID that
#                            follows from the inputs, and jars are normalised;
#   olvan_reproducible_jar_command(<out> <jar>) / olvan_reproducible_jar(<target>)
#                            jar entries dated OLVAN_SOURCE_DATE_EPOCH, in name order.
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(OLVAN_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  set(olvan_epoch_from "SOURCE_DATE_EPOCH")
else()
  find_package(Git QUIET)
  set(OLVAN_SOURCE_DATE_EPOCH "")
  if(GIT_EXECUTABLE)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE OLVAN_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  set(olvan_epoch_from "the last commit")
  if(NOT OLVAN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    # Not a git checkout: the earliest time a jar entry can carry.
    set(OLVAN_SOURCE_DATE_EPOCH 315532802)
    set(olvan_epoch_from "no commit found, the earliest a jar can carry")
  endif()
  # A new commit is a new build time.
  foreach(head ${PROJECT_SOURCE_DIR}/.git/logs/HEAD ${PROJECT_SOURCE_DIR}/.git/HEAD)
    if(EXISTS ${head})
      set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head})
    endif()
  endforeach()
endif()
if(NOT OLVAN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH=${OLVAN_SOURCE_DATE_EPOCH} is not a number of seconds")
endif()
message(STATUS "Build time ${OLVAN_SOURCE_DATE_EPOCH} (${olvan_epoch_from})")

if(OLVAN_REPRODUCIBLE)
  # A policy of the whole tree, so set for the folder: both folders are mapped,
  # since the build folder may lie outside the sources.
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
  add_link_options(-Wl,--build-id=sha1)
endif()

# The COMMAND arguments that make JAR reproducible, for a custom command that writes it.
function(olvan_reproducible_jar_command out jar)
  set(command "")
  if(OLVAN_REPRODUCIBLE)
    set(command COMMAND ${CMAKE_COMMAND} -DJAR=${jar} -DJAR_TOOL=${Java_JAR_EXECUTABLE}
      -DEPOCH=${OLVAN_SOURCE_DATE_EPOCH} -P ${PROJECT_SOURCE_DIR}/cmake/OlvanReproducibleJar.cmake)
  endif()
  set(${out} ${command} PARENT_SCOPE)
endfunction()

# Makes the jar of an add_jar target reproducible once it is written.
function(olvan_reproducible_jar target)
  get_target_property(jar ${target} JAR_FILE)
  olvan_reproducible_jar_command(command ${jar})
  if(command)
    add_custom_command(TARGET ${target} POST_BUILD ${command} VERBATIM)
  endif()
endfunction()
