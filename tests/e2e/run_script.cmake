# Runs one automation script against the built game in a fresh per-user
# folder; the script's own expect lines decide the result.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home)
get_filename_component(game_dir ${GAME} DIRECTORY)
execute_process(
  COMMAND ${GAME} --headless --seed 1 --log --root ${game_dir} --home ${WORK}/home --script ${SCRIPT}
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT} ended with status ${status}")
endif()
