# cmake --install after a build that made only part of the tree (one target,
# say) must say what to build, not stop half-way with a
# half-made installation. Every file an install rule takes is listed here by
# component, and a script that runs before any rule of that component checks
# them all.
set(OLVAN_INSTALL_GUARD ${CMAKE_BINARY_DIR}/olvan_install_guard.cmake)
foreach(component bridge standin maven)
  install(SCRIPT ${OLVAN_INSTALL_GUARD} COMPONENT ${component})
endforeach()

# olvan_install(COMPONENT <c> [EXCLUDE_FROM_ALL] DESTINATION <dir> FILES <files>... | TARGETS <libraries>...)
function(olvan_install)
  cmake_parse_arguments(PARSE_ARGV 0 arg "EXCLUDE_FROM_ALL" "COMPONENT;DESTINATION" "FILES;TARGETS")
  set(exclude "")
  if(arg_EXCLUDE_FROM_ALL)
    set(exclude EXCLUDE_FROM_ALL)
  endif()
  set(installed ${arg_FILES})
  if(arg_FILES)
    install(FILES ${arg_FILES} DESTINATION ${arg_DESTINATION} COMPONENT ${arg_COMPONENT} ${exclude})
  endif()
  if(arg_TARGETS)
    install(TARGETS ${arg_TARGETS} LIBRARY DESTINATION ${arg_DESTINATION} COMPONENT ${arg_COMPONENT} ${exclude})
    foreach(target IN LISTS arg_TARGETS)
      list(APPEND installed $<TARGET_FILE:${target}>)
    endforeach()
  endif()
  set_property(GLOBAL APPEND PROPERTY OLVAN_INSTALLED_${arg_COMPONENT} ${installed})
endfunction()

# Called once every rule is declared: writes the script the guard rules run.
function(olvan_write_install_guard)
  set(content "set(olvan_components \"\${CMAKE_INSTALL_COMPONENT}\")\n")
  string(APPEND content "if(NOT olvan_components)\n  set(olvan_components bridge)\nendif()\n")
  foreach(component bridge standin maven)
    get_property(files GLOBAL PROPERTY OLVAN_INSTALLED_${component})
    string(APPEND content "set(olvan_files_${component} \"${files}\")\n")
  endforeach()
  string(APPEND content [=[
foreach(olvan_component IN LISTS olvan_components)
  foreach(olvan_file IN LISTS olvan_files_${olvan_component})
    if(NOT EXISTS "${olvan_file}")
      message(FATAL_ERROR "Nothing installed: ${olvan_file} has not been built. "
        "Build first (cmake --build <build folder>, or the README's demo or test command), then install.")
    endif()
  endforeach()
endforeach()
]=])
  file(GENERATE OUTPUT ${OLVAN_INSTALL_GUARD} CONTENT "${content}")
endfunction()
