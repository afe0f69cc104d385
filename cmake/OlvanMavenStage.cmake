# cmake -DIN=<file> -DOUT=<file> -DSUMS=<sha1;md5;...> -P OlvanMavenStage.cmake:
# copies IN to OUT and writes OUT.<sum> for each, as a Maven repository holds them.
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(COPY_FILE ${IN} ${OUT} ONLY_IF_DIFFERENT)
foreach(extension IN LISTS SUMS)
  string(TOUPPER ${extension} algorithm)
  file(${algorithm} ${OUT} sum)
  file(WRITE ${OUT}.${extension} ${sum})
endforeach()
