# The sources and Javadoc jars beside a Java artifact, both reproducible.
# Doclint is on, and in the presets and CI a warning is an error, so the
# documentation stays complete on every JDK.
#
#   olvan_docs_jars(<artifact> TITLE <title> SOURCE_DIR <dir> SOURCES <files...>
#                   [DOCUMENTED <files...>] [JAVADOC_OPTIONS <options...>] [DEPENDS <...>])
#
# Writes ${OLVAN_LIB_DIR}/<artifact>-<version>-sources.jar (the whole of
# SOURCE_DIR) and -javadoc.jar (of DOCUMENTED, by default SOURCES), and sets
# <artifact>_SOURCES_JAR and <artifact>_JAVADOC_JAR in the caller's scope.
function(olvan_docs_jars artifact)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TITLE;SOURCE_DIR" "SOURCES;DOCUMENTED;JAVADOC_OPTIONS;DEPENDS")
  if(NOT arg_DOCUMENTED)
    set(arg_DOCUMENTED ${arg_SOURCES})
  endif()
  set(sources_jar ${OLVAN_LIB_DIR}/${artifact}-${PROJECT_VERSION}-sources.jar)
  set(javadoc_jar ${OLVAN_LIB_DIR}/${artifact}-${PROJECT_VERSION}-javadoc.jar)
  set(javadoc_dir ${CMAKE_CURRENT_BINARY_DIR}/${artifact}-javadoc)
  olvan_reproducible_jar_command(sources_reproducible ${sources_jar})
  olvan_reproducible_jar_command(javadoc_reproducible ${javadoc_jar})
  add_custom_command(OUTPUT ${sources_jar}
    COMMAND ${Java_JAR_EXECUTABLE} --create --file ${sources_jar} -C ${arg_SOURCE_DIR} .
    ${sources_reproducible}
    DEPENDS ${arg_SOURCES}
    COMMENT "Creating ${artifact}-${PROJECT_VERSION}-sources.jar")
  add_custom_command(OUTPUT ${javadoc_jar}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${javadoc_dir}
    COMMAND ${Java_JAVADOC_EXECUTABLE} --release 17 -Xdoclint:all ${OLVAN_JAVA_WERROR} -quiet -notimestamp
            ${arg_JAVADOC_OPTIONS}
            -doctitle "${arg_TITLE} ${PROJECT_VERSION}" -windowtitle "${arg_TITLE} ${PROJECT_VERSION}"
            -d ${javadoc_dir} ${arg_DOCUMENTED}
    COMMAND ${Java_JAR_EXECUTABLE} --create --file ${javadoc_jar} -C ${javadoc_dir} .
    ${javadoc_reproducible}
    DEPENDS ${arg_SOURCES} ${arg_DEPENDS}
    COMMENT "Creating ${artifact}-${PROJECT_VERSION}-javadoc.jar (doclint on)")
  set(${artifact}_SOURCES_JAR ${sources_jar} PARENT_SCOPE)
  set(${artifact}_JAVADOC_JAR ${javadoc_jar} PARENT_SCOPE)
endfunction()
