# tallowmere_library(NAME FOLDER <folder under src> SOURCES <files…> [HEADERS <headers…>] [PUBLIC <targets…>]
#                    [PRIVATE <targets…>])
#
# One library per layer. Its headers are seen through an include folder of its own in the build tree, which holds
# only them (as links, under their folder's name: "disks/ExternalDiskManager.h"), so a library sees its own
# headers and those of the libraries it links, and nothing else: an include from a lower layer to a higher one
# does not compile. HEADERS names the headers when a folder holds more than one library; by default every header
# of the folder (not of its subfolders, which are libraries of their own) belongs to it.
function(tallowmere_library name)
  cmake_parse_arguments(ARG "" "FOLDER" "SOURCES;HEADERS;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES UNITY_BUILD ${TALLOWMERE_UNITY_BUILD})
  if(NOT ARG_HEADERS)
    file(GLOB ARG_HEADERS CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${ARG_FOLDER})
  foreach(header IN LISTS ARG_HEADERS)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${ARG_FOLDER}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()
