# olvan_native_image_metadata(<out> SOURCE <reachability-metadata.json>)
# Sets <out> to the metadata files a jar carries for GraalVM's native-image:
# SOURCE itself, read by current releases, and the older releases' separate
# files made from it at configure time (OlvanNativeImageLegacy.cmake), so that
# SOURCE is the one place that says what an image must register.
function(olvan_native_image_metadata out)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SOURCE" "")
  get_filename_component(name ${arg_SOURCE} NAME)
  string(MD5 key ${arg_SOURCE})
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/native-image-${key})
  file(MAKE_DIRECTORY ${folder})
  execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${arg_SOURCE} -DOUTPUT_DIR=${folder}
    -P ${PROJECT_SOURCE_DIR}/cmake/OlvanNativeImageLegacy.cmake RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${arg_SOURCE}: the older native-image files could not be made from it")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_SOURCE}
    ${PROJECT_SOURCE_DIR}/cmake/OlvanNativeImageLegacy.cmake)
  file(GLOB legacy ${folder}/*-config.json)
  set(${out} ${arg_SOURCE} ${legacy} PARENT_SCOPE)
endfunction()
