# JUnit 5 as Debian's junit5 package installs it, found once for every suite
# and the test kit: OLVAN_JUNIT_<PART> for each jar, OLVAN_JUNIT_FOUND when the
# ones the suites compile and run with are all there.
foreach(part IN ITEMS
    CONSOLE:junit-platform-console-standalone API:junit-jupiter-api PARAMS:junit-jupiter-params
    COMMONS:junit-platform-commons LAUNCHER:junit-platform-launcher ENGINE:junit-platform-engine
    OPENTEST4J:opentest4j APIGUARDIAN:apiguardian-api)
  string(REPLACE ":" ";" part "${part}")
  list(GET part 0 variable)
  list(GET part 1 name)
  find_jar(OLVAN_JUNIT_${variable} NAMES ${name} PATHS /usr/share/java)
endforeach()
if(OLVAN_JUNIT_CONSOLE AND OLVAN_JUNIT_API AND OLVAN_JUNIT_PARAMS)
  set(OLVAN_JUNIT_FOUND ON)
else()
  set(OLVAN_JUNIT_FOUND OFF)
endif()
