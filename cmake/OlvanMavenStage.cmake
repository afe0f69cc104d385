# cmake -DIN=<file> -DOUT=<file> -P OlvanMavenStage.cmake: copies IN to OUT and
# writes OUT.sha1 and OUT.md5, as a Maven repository holds them.
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(COPY_FILE ${IN} ${OUT} ONLY_IF_DIFFERENT)
foreach(algorithm SHA1 MD5)
  file(${algorithm} ${OUT} sum)
  string(TOLOWER ${algorithm} extension)
  file(WRITE ${OUT}.${extension} ${sum})
endforeach()
