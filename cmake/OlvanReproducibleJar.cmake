# Makes a jar reproducible: every entry dated EPOCH (seconds since 1970, UTC),
# the manifest first and the other files in name order, whatever the times
# and the directory order of the build's files. The jar is replaced only when
# the result differs, so that an unchanged jar keeps its time.
# Usage: cmake -DJAR=<file> -DJAR_TOOL=<jar> -DEPOCH=<seconds> -P OlvanReproducibleJar.cmake
cmake_minimum_required(VERSION 3.25)
set(ENV{SOURCE_DATE_EPOCH} ${EPOCH})
string(TIMESTAMP date "%Y-%m-%dT%H:%M:%SZ" UTC)
set(work ${JAR}.reproducible)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/entries)
execute_process(COMMAND ${JAR_TOOL} --extract --file ${JAR} WORKING_DIRECTORY ${work}/entries
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${JAR}: could not be extracted")
endif()
file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE ${work}/entries ${work}/entries/*)
list(REMOVE_ITEM entries META-INF/MANIFEST.MF)
list(SORT entries)
set(manifest "")
if(EXISTS ${work}/entries/META-INF/MANIFEST.MF)
  set(manifest --manifest=${work}/entries/META-INF/MANIFEST.MF)
endif()
# An argument file: the jar tool takes one, and the list can be long.
list(JOIN entries "\n" lines)
file(WRITE ${work}/entries.txt "${lines}\n")
execute_process(COMMAND ${JAR_TOOL} --create --file ${work}/out.jar --date=${date} ${manifest} @${work}/entries.txt
  WORKING_DIRECTORY ${work}/entries RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${JAR}: could not be written again")
endif()
file(COPY_FILE ${work}/out.jar ${JAR} ONLY_IF_DIFFERENT)
file(REMOVE_RECURSE ${work})
