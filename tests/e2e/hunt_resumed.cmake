# The hotel's luggage corner in two sittings: two things found and landed, a
# third just clicked, and the game quit from inside the scene; after a restart
# the same entrance opens the scene with the two still found, the third
# finishing its flight, and the rest still to find.
get_filename_component(game_dir ${GAME} DIRECTORY)
file(REMOVE_RECURSE ${WORK})
set(HOME ${WORK}/home)
include(${CMAKE_CURRENT_LIST_DIR}/one_player.cmake)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\nopt_tut = TRUE\r\n"
  "opt_inum = 8\r\nlev_current = hotel\r\n")

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

# Play, wait out the fades, and enter the scene by the scarecrow's entrance.
set(enter "tick 601\nclick 512 536\ntick 80\nexpect level == \"hotel\"\nclick 910 560\ntick 120\nexpect visible contains wnd_ho\n")

run_sitting(first "${enter}
click 250 146
click 380 146
tick 300
expect ho.list.1.found == true
expect ho.list.2.found == true
click 132 506
tick 1
expect ho.objects.3.kind == click
quit
")

run_sitting(second "${enter}
expect ho.entry == q_scarecrow_head
expect ho.list.1.found == true
expect ho.list.2.found == true
expect ho.list.3.found == false
expect ho.objects.4.kind == item
tick 300
expect ho.list.3.found == true
expect ho.objects.5.kind == item
quit
")
