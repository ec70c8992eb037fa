# Runs lupdate over the sources into a copy of the .ts and fails when the copy differs (a text added, changed or
# removed in the sources since) or holds an entry without its translation.
file(REMOVE_RECURSE ${WORK})
file(COPY ${TS} DESTINATION ${WORK})
get_filename_component(name ${TS} NAME)
execute_process(COMMAND ${LUPDATE} ${OPTIONS} -I ${SOURCES} ${SOURCES} -ts ${WORK}/${name} RESULT_VARIABLE failed
                OUTPUT_QUIET)
file(READ ${TS} committed)
file(READ ${WORK}/${name} current)
string(FIND "${current}" "type=\"unfinished\"" unfinished)
if(failed OR NOT committed STREQUAL current OR NOT unfinished EQUAL -1)
  execute_process(COMMAND diff -u ${TS} ${WORK}/${name})
  message(FATAL_ERROR "${name} is not up to date or not complete: build the target update_translations and "
                      "translate every entry of type \"unfinished\"")
endif()
