# Maven coordinates for the jars: a POM per artifact (inside its jar under
# META-INF/maven, and beside it), and the install component "maven", a Maven
# repository layout that a file: repository or a repository manager takes as is.
set(OLVAN_MAVEN_GROUP com.olvan)
set(OLVAN_MAVEN_REPO_DIR ${CMAKE_INSTALL_DATADIR}/maven-repo CACHE PATH
  "Where the maven component puts its repository (relative: below the prefix)")
# The repository as it will be installed, staged in the build tree.
set(OLVAN_MAVEN_STAGE ${CMAKE_BINARY_DIR}/maven-repo)
string(REPLACE "." "/" OLVAN_MAVEN_GROUP_PATH ${OLVAN_MAVEN_GROUP})
# The sums beside each file: SHA-1 and MD5, which Maven checks on a download,
# and SHA-256 and SHA-512, which repository managers and security teams ask for.
set(OLVAN_MAVEN_SUMS sha1 md5 sha256 sha512)

# olvan_maven_pom(<artifact> NAME <name> DESCRIPTION <text> [DEPENDENCIES <xml>])
# Writes <binary dir>/maven/<artifact>/pom.xml and pom.properties (for the jar's
# META-INF/maven) and <artifact>-<version>.pom beside the jars; sets
# <artifact>_POM_DIR and <artifact>_POM in the caller's scope.
function(olvan_maven_pom artifact)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "NAME;DESCRIPTION;DEPENDENCIES" "")
  set(OLVAN_MAVEN_ARTIFACT ${artifact})
  set(OLVAN_MAVEN_NAME ${arg_NAME})
  set(OLVAN_MAVEN_DESCRIPTION ${arg_DESCRIPTION})
  set(OLVAN_MAVEN_DEPENDENCIES "${arg_DEPENDENCIES}")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/maven/${artifact})
  configure_file(${PROJECT_SOURCE_DIR}/java/maven/pom.xml.in ${dir}/pom.xml @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/java/maven/pom.properties.in ${dir}/pom.properties @ONLY)
  configure_file(${dir}/pom.xml ${OLVAN_LIB_DIR}/${artifact}-${PROJECT_VERSION}.pom COPYONLY)
  set(${artifact}_POM_DIR ${dir} PARENT_SCOPE)
  set(${artifact}_POM ${OLVAN_LIB_DIR}/${artifact}-${PROJECT_VERSION}.pom PARENT_SCOPE)
endfunction()

# olvan_maven_artifact(<artifact> JAR <file> POM <file> SOURCES <file> JAVADOC <file> SBOM <file>
#                      TARGETS <targets>...)
# Stages the five files (the bill of materials under the classifier cyclonedx) with their sums (OLVAN_MAVEN_SUMS) under
# <build>/maven-repo as target <artifact>-maven, and installs them with the
# maven component.
function(olvan_maven_artifact artifact)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "JAR;POM;SOURCES;JAVADOC;SBOM" "TARGETS")
  set(dir ${OLVAN_MAVEN_STAGE}/${OLVAN_MAVEN_GROUP_PATH}/${artifact}/${PROJECT_VERSION})
  set(staged "")
  foreach(kind JAR POM SOURCES JAVADOC SBOM)
    set(suffix_JAR .jar)
    set(suffix_POM .pom)
    set(suffix_SOURCES -sources.jar)
    set(suffix_JAVADOC -javadoc.jar)
    set(suffix_SBOM -cyclonedx.json)
    set(out ${dir}/${artifact}-${PROJECT_VERSION}${suffix_${kind}})
    list(TRANSFORM OLVAN_MAVEN_SUMS PREPEND ${out}. OUTPUT_VARIABLE sums)
    add_custom_command(OUTPUT ${out} ${sums}
      COMMAND ${CMAKE_COMMAND} -DIN=${arg_${kind}} -DOUT=${out} "-DSUMS=${OLVAN_MAVEN_SUMS}"
        -P ${PROJECT_SOURCE_DIR}/cmake/OlvanMavenStage.cmake
      DEPENDS ${arg_${kind}} ${PROJECT_SOURCE_DIR}/cmake/OlvanMavenStage.cmake
      VERBATIM)
    list(APPEND staged ${out} ${sums})
  endforeach()
  add_custom_target(${artifact}-maven ALL DEPENDS ${staged})
  add_dependencies(${artifact}-maven ${arg_TARGETS})
  olvan_install(COMPONENT maven EXCLUDE_FROM_ALL
    DESTINATION ${OLVAN_MAVEN_REPO_DIR}/${OLVAN_MAVEN_GROUP_PATH}/${artifact}/${PROJECT_VERSION}
    FILES ${staged})
endfunction()
