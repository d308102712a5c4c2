# Shared by the scripts that play the game in more than one sitting: a
# player "Ada" standing in the hotel with fresh copies of the shipped levels
# and scenes (the guide's step in TUTORIAL_STEP), and `run_sitting`, which
# runs one script against the built game and fails on a failed expectation.
get_filename_component(game_dir ${GAME} DIRECTORY)
file(REMOVE_RECURSE ${WORK})
set(HOME ${WORK}/home)
set(script_dir ${CMAKE_CURRENT_LIST_DIR})
include(${script_dir}/one_player.cmake)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\nopt_tut = TRUE\r\n"
  "opt_inum = ${TUTORIAL_STEP}\r\nlev_current = hotel\r\n")

function(run_sitting name script)
  file(WRITE ${WORK}/${name}.qms "${script}")
  execute_process(
    COMMAND ${GAME} --headless --seed 1 --root ${game_dir} --home ${HOME}
            --script ${WORK}/${name}.qms
    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} ended with status ${status}:\n${out}${err}")
  endif()
endfunction()
