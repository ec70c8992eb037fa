# add_unit_test(NAME SOURCES <files...> LIBS <targets...> [LABELS <labels...>] [PROPERTIES <name value...>])
# One test executable per area, compiled as one unit (its files share most of their headers); its cases are
# registered with CTest individually. `unit_tests` builds the executables labelled unit and nothing else (the
# sanitizer build runs only those).
include(GoogleTest)
add_custom_target(unit_tests)
function(add_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tallowmere_testsupport ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${TALLOWMERE_UNITY_BUILD})
  if("unit" IN_LIST ARG_LABELS)
    add_dependencies(unit_tests ${name})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 300 ${ARG_PROPERTIES})
endfunction()
