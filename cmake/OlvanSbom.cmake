# Bills of materials (CycloneDX 1.6 JSON), made by the build from what it built.
#
# olvan_sbom(OUTPUT <file> SUBJECT <component> [COMPONENTS <component>...]
#            [NEEDED_OF <library file> NEEDED_BY <ref>] [DEPENDS <files or targets>...])
# A component is "key=value|..." (see OlvanSbomWrite.cmake), and may hold
# generator expressions such as $<TARGET_FILE:...>. NEEDED_OF names a library
# whose NEEDED entries give, by file name, what it needs and nothing ships.
set(OLVAN_SBOM_JAVA_FROM 17)
set(OLVAN_SBOM_API "The Java API of the Dravix service")
set(OLVAN_SBOM_BRIDGE "The native half of the Java API, which the API loads at run time: installed beside the API jar, not inside it")

# The ref and purl of one of our Maven artifacts.
function(olvan_sbom_maven_purl out artifact)
  set(${out} pkg:maven/${OLVAN_MAVEN_GROUP}/${artifact}@${PROJECT_VERSION} PARENT_SCOPE)
endfunction()

# The component of one of our Maven artifacts, its jar FILE, needing DEPENDS.
function(olvan_sbom_maven_component out artifact file description depends)
  olvan_sbom_maven_purl(purl ${artifact})
  set(${out} "ref=${purl}|type=library|group=${OLVAN_MAVEN_GROUP}|name=${artifact}|version=${PROJECT_VERSION}|purl=${purl}|file=${file}|description=${description}|depends=${depends}" PARENT_SCOPE)
endfunction()

# The component of a native library of ours (the bridge, a stand-in) at FILE.
function(olvan_sbom_native_component out name file description depends)
  set(${out} "ref=${name}|type=library|name=${name}|version=${PROJECT_VERSION}|purl=pkg:generic/olvan/${name}@${PROJECT_VERSION}|file=${file}|scope=required|description=${description}|depends=${depends}" PARENT_SCOPE)
endfunction()
function(olvan_sbom)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;SUBJECT;NEEDED_OF;NEEDED_BY" "COMPONENTS;DEPENDS")
  get_filename_component(name ${arg_OUTPUT} NAME)
  set(inputs ${CMAKE_CURRENT_BINARY_DIR}/sbom/${name}.cmake)
  set(content "set(SBOM_EPOCH ${OLVAN_SOURCE_DATE_EPOCH})\n")
  string(APPEND content "set(SBOM_JAVA_FROM ${OLVAN_SBOM_JAVA_FROM})\n")
  string(APPEND content "set(SBOM_JAVA_TESTED ${OLVAN_TESTED_JDK_VERSIONS})\n")
  string(APPEND content "set(SBOM_OBJDUMP [==[${CMAKE_OBJDUMP}]==])\n")
  string(APPEND content "set(SBOM_NEEDED_OF [==[${arg_NEEDED_OF}]==])\n")
  string(APPEND content "set(SBOM_NEEDED_BY [==[${arg_NEEDED_BY}]==])\n")
  string(APPEND content "set(SBOM_SUBJECT [==[${arg_SUBJECT}]==])\n")
  string(APPEND content "set(SBOM_COMPONENTS \"\")\n")
  foreach(component IN LISTS arg_COMPONENTS)
    string(APPEND content "list(APPEND SBOM_COMPONENTS [==[${component}]==])\n")
  endforeach()
  file(GENERATE OUTPUT ${inputs} CONTENT "${content}")
  add_custom_command(OUTPUT ${arg_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DINPUTS=${inputs} -DOUT=${arg_OUTPUT} -P ${PROJECT_SOURCE_DIR}/cmake/OlvanSbomWrite.cmake
    DEPENDS ${inputs} ${PROJECT_SOURCE_DIR}/cmake/OlvanSbomWrite.cmake ${arg_DEPENDS}
    COMMENT "Writing the bill of materials ${name}"
    VERBATIM)
endfunction()
