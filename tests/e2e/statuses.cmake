# The program's exit statuses and one-line messages for bad starts.
function(expect_status want)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE got OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT got EQUAL want)
    message(FATAL_ERROR "${ARGN}: status ${got}, expected ${want}\n${out}${err}")
  endif()
  set(last_error "${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home ${WORK}/empty_root)
get_filename_component(game_dir ${GAME} DIRECTORY)

expect_status(2 ${GAME} --no-such-option)
if(NOT last_error MATCHES "unknown option --no-such-option")
  message(FATAL_ERROR "unknown option message: ${last_error}")
endif()

expect_status(74 ${GAME} --headless --root ${WORK}/empty_root --home ${WORK}/home)
if(NOT last_error MATCHES "${WORK}/empty_root/data/text/strings.cfg")
  message(FATAL_ERROR "missing strings message does not name the path: ${last_error}")
endif()

file(WRITE ${WORK}/bad.qms "tick 5\nclick 10\n")
expect_status(2 ${GAME} --root ${game_dir} --home ${WORK}/home --script ${WORK}/bad.qms)
if(NOT last_error MATCHES "line 2")
  message(FATAL_ERROR "malformed script message does not name the line: ${last_error}")
endif()

file(WRITE ${WORK}/fails.qms "tick 3\nexpect tick == 4\ntick 1\n")
expect_status(1 ${GAME} --root ${game_dir} --home ${WORK}/home --script ${WORK}/fails.qms)
if(NOT last_error MATCHES ":2: expect tick == 4")
  message(FATAL_ERROR "failed expect message does not name the line: ${last_error}")
endif()

expect_status(0 ${GAME} --version)
expect_status(0 ${GAME} --help)
