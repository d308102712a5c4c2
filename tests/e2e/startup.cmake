# Start-up against prepared profile folders: the screen-mode choice, the
# player list read from data.ini (hostile names left out), the profile saved
# on quitting, and a data.ini that cannot be read is never overwritten.
function(run_game)
  execute_process(COMMAND ${GAME} --root ${game_dir} ${ARGN}
                  RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: status ${status}\n${err}")
  endif()
  set(last_error "${err}" PARENT_SCOPE)
endfunction()

get_filename_component(game_dir ${GAME} DIRECTORY)
file(REMOVE_RECURSE ${WORK})
set(profile ${WORK}/home/Quillmoor/Moorhouse)
file(MAKE_DIRECTORY ${profile})

# A player who chose a window, on a 5:4 desktop, in a list with names that
# must never become folders.
file(WRITE ${profile}/data.ini
  "[players]\r\nopt_plist = Ann//../x y/Bob/\r\nopt_player = Ann\r\n\r\n"
  "[Ann]\r\nopt_mvolume=40\r\nopt_svolume = 75\r\nopt_evolume = 75\r\n"
  "opt_fullscreen = FALSE\r\nopt_ccursor = true\r\nopt_tut = FALSE\r\nopt_inum = 0\r\n")
file(WRITE ${WORK}/windowed.qms
  "expect players == [\"Ann\", \"Bob\"]\nexpect player == Ann\n"
  "expect options.music_volume == 40\nexpect fullscreen == false\n"
  "expect client == [1024, 768]\nexpect offset == [0, 0]\ntick 5\n")
run_game(--home ${WORK}/home --desktop 1280x1024 --script ${WORK}/windowed.qms)
file(READ ${profile}/data.ini saved)
string(CONCAT expected
  "[ players ]\nopt_plist = Ann/Bob\nopt_player = Ann\n\n"
  "[ Ann ]\nopt_mvolume = 40\nopt_svolume = 75\nopt_evolume = 75\n"
  "opt_fullscreen = FALSE\nopt_ccursor = TRUE\nopt_tut = FALSE\nopt_inum = 0\n"
  # Ann has no folder of saved levels, so her game starts afresh.
  "diary_max = 1\ndiary_page = 1\ndiary_page1 = default\nlev_current = intro\n"
  "tasks_count = 0\nhint_press = FALSE\nhint_pos = 0\n\n[ Ann_inv ]\ncount = 0\n")
if(NOT saved STREQUAL expected)
  message(FATAL_ERROR "data.ini after quitting:\n${saved}\nexpected:\n${expected}")
endif()
file(GLOB leftovers ${profile}/*.tmp* ${profile}/.*tmp*)
if(leftovers)
  message(FATAL_ERROR "temporary files left behind: ${leftovers}")
endif()

# Full screen on a 16:9 desktop: the picture sits between bars left and right.
file(WRITE ${WORK}/wide.qms
  "expect fullscreen == true\nexpect client == [1920, 1080]\nexpect offset == [240, 0]\n"
  "move 512 384\ntick 1\nexpect mouse == [512, 384]\n")
run_game(--home ${WORK}/home --desktop 1920x1080 --fullscreen --script ${WORK}/wide.qms)

# A desktop of exactly 1024 x 768 forces full screen, and the option is kept.
file(WRITE ${WORK}/small.qms "expect fullscreen == true\nexpect options.fullscreen == true\n")
run_game(--home ${WORK}/home --desktop 1024x768 --script ${WORK}/small.qms)
file(READ ${profile}/data.ini saved)
if(NOT saved MATCHES "opt_fullscreen = TRUE")
  message(FATAL_ERROR "the forced full screen was not stored:\n${saved}")
endif()

# Something unreadable where data.ini belongs: reported, and left as it is.
file(REMOVE_RECURSE ${WORK}/home2)
file(MAKE_DIRECTORY ${WORK}/home2/Quillmoor/Moorhouse/data.ini)
file(WRITE ${WORK}/quiet.qms "expect players.length == 0\ntick 3\n")
run_game(--home ${WORK}/home2 --script ${WORK}/quiet.qms)
if(NOT last_error MATCHES "ERROR!")
  message(FATAL_ERROR "an unreadable data.ini was not reported:\n${last_error}")
endif()
if(NOT IS_DIRECTORY ${WORK}/home2/Quillmoor/Moorhouse/data.ini)
  message(FATAL_ERROR "the unreadable data.ini was replaced")
endif()

# A fresh account without ~/.local: the per-user folders are made, private to
# the player, and the game reaches its first question. The run's --windowed
# holds through creating a player, whose own option is full screen.
file(MAKE_DIRECTORY ${WORK}/fresh)
file(WRITE ${WORK}/fresh.qms
  "tick 601\nexpect visible contains wnd_prof\nexpect fullscreen == false\n"
  "type Fern\ntick 2\nclick 442 552\ntick 2\nexpect player == Fern\n"
  "expect options.fullscreen == true\nexpect fullscreen == false\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=XDG_DATA_HOME HOME=${WORK}/fresh
          ${GAME} --root ${game_dir} --windowed --desktop 1280x1024 --script ${WORK}/fresh.qms
  RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "a fresh account did not start: status ${status}\n${err}")
endif()
foreach(folder .local .local/share .local/share/Quillmoor .local/share/Quillmoor/Moorhouse)
  execute_process(COMMAND stat -c %a ${WORK}/fresh/${folder} OUTPUT_VARIABLE mode
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT mode STREQUAL "700")
    message(FATAL_ERROR "${folder} was made with mode ${mode}, not 700")
  endif()
endforeach()
if(NOT EXISTS ${WORK}/fresh/.local/share/Quillmoor/Moorhouse/data.ini)
  message(FATAL_ERROR "the new player was not saved in the fresh per-user folder")
endif()

# A per-user folder that cannot be made stops the start with status 1 and
# says which folder and why.
file(WRITE ${WORK}/not_a_folder "")
execute_process(COMMAND ${GAME} --root ${game_dir} --headless --home ${WORK}/not_a_folder/home
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT err MATCHES "not_a_folder.*Not a directory")
  message(FATAL_ERROR "an unusable per-user folder: status ${status}\n${err}")
endif()
