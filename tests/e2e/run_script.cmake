# Runs one automation script against the built game in a fresh per-user
# folder; the script's own expect lines decide the result, then the engine
# log of the run is checked for its frame.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home)
get_filename_component(game_dir ${GAME} DIRECTORY)
get_filename_component(script_name ${SCRIPT} NAME)
configure_file(${SCRIPT} ${WORK}/${script_name} COPYONLY)
# A script may come with two CMake files beside it: NAME.setup.cmake prepares
# the per-user folder before the game starts (a hand-edited profile, say), and
# NAME.check.cmake looks at the files the run left behind. Both see WORK and
# HOME (the per-user folder).
get_filename_component(script_dir ${SCRIPT} DIRECTORY)
get_filename_component(script_stem ${SCRIPT} NAME_WE)
set(HOME ${WORK}/home)
include(${script_dir}/${script_stem}.setup.cmake OPTIONAL)
# The setup file may also add options to the game's command line in GAME_ARGS
# (a later --root wins over the first).
execute_process(
  COMMAND ${GAME} --headless --seed 1 --log --root ${game_dir} --home ${WORK}/home
          --script ${WORK}/${script_name} ${GAME_ARGS}
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT} ended with status ${status}")
endif()

include(${script_dir}/${script_stem}.check.cmake OPTIONAL)

file(GLOB logs ${WORK}/home/Quillmoor/*/log.txt)
list(LENGTH logs log_count)
if(NOT log_count EQUAL 1)
  message(FATAL_ERROR "expected one log.txt below ${WORK}/home, found ${log_count}")
endif()
# Every line of the log ends with CR LF (file(READ) as text drops the CRs,
# so the line ends are counted on the bytes).
file(READ ${logs} log_hex HEX)
string(REGEX REPLACE "(..)" "\\1 " log_bytes "${log_hex}")
string(REGEX MATCHALL "0a " line_feeds "${log_bytes}")
string(REGEX MATCHALL "0d 0a " line_ends "${log_bytes}")
list(LENGTH line_feeds lf_count)
list(LENGTH line_ends crlf_count)
if(lf_count EQUAL 0 OR NOT lf_count EQUAL crlf_count)
  message(FATAL_ERROR "log.txt has ${lf_count} lines but ${crlf_count} CR LF line ends")
endif()
file(READ ${logs} log)
string(REPEAT "=" 33 rule)
if(NOT log MATCHES "^${rule}\n=== [^\n]* ===\n${rule}\n\\[00000000ms\\] Begin\n")
  message(FATAL_ERROR "log.txt does not start with the banner and Begin:\n${log}")
endif()
if(NOT log MATCHES "\\[[0-9]+ms\\] Timers to free: [0-9]+\n.*\\[[0-9]+ms\\] End\n$")
  message(FATAL_ERROR "log.txt does not end with the shutdown lines:\n${log}")
endif()
