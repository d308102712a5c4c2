# Hand-edited, damaged and hostile profile folders and game data: the game
# starts, says what is wrong once, and never loses or writes past a save.
get_filename_component(game_dir ${GAME} DIRECTORY)
get_filename_component(script_dir ${CMAKE_CURRENT_LIST_FILE} DIRECTORY)
file(REMOVE_RECURSE ${WORK})

# Runs the game headless on HOME with the script text; `expected` is the exit
# status (0 unless given).
function(run_game home script)
  cmake_parse_arguments(RUN "" "ROOT;STATUS" "" ${ARGN})
  if(NOT RUN_ROOT)
    set(RUN_ROOT ${game_dir})
  endif()
  if(NOT DEFINED RUN_STATUS)
    set(RUN_STATUS 0)
  endif()
  string(MD5 name "${home}${script}")
  file(WRITE ${WORK}/${name}.qms "${script}")
  execute_process(
    COMMAND ${GAME} --headless --seed 1 --log --root ${RUN_ROOT} --home ${home}
            --script ${WORK}/${name}.qms
    RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL RUN_STATUS)
    message(FATAL_ERROR "status ${status}, expected ${RUN_STATUS}, for:\n${script}\n${err}")
  endif()
  set(last_error "${err}" PARENT_SCOPE)
endfunction()

# (file(READ) drops the CRs of the CR LF line ends.)
function(expect_in file text)
  file(READ ${file} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} lacks \"${text}\":\n${content}")
  endif()
endfunction()

# A player "Ann" with fresh copies of the shipped levels in HOME; the header
# line of the player list is `header`; `extra` follows Ann's options.
function(write_profile home header extra)
  set(folder ${home}/Quillmoor/Moorhouse)
  file(MAKE_DIRECTORY ${folder}/Ann/levels ${folder}/Ann/scenes)
  foreach(kind levels scenes)
    file(GLOB shipped ${game_dir}/data/${kind}/*.cfg)
    file(COPY ${shipped} DESTINATION ${folder}/Ann/${kind})
  endforeach()
  file(APPEND ${folder}/data.ini
    "${header}\r\nopt_plist = Ann\r\nopt_player = Ann\r\n\r\n[ Ann ]\r\nopt_mvolume = 20\r\n"
    "opt_fullscreen = TRUE\r\n${extra}")
endfunction()

# --- The players header ----------------------------------------------------------

# A byte-order mark, and blanks or tabs around the name, still read as the list.
file(MAKE_DIRECTORY ${WORK}/bom/Quillmoor/Moorhouse)
execute_process(COMMAND printf "\\357\\273\\277" OUTPUT_FILE ${WORK}/bom.txt)
file(COPY_FILE ${WORK}/bom.txt ${WORK}/bom/Quillmoor/Moorhouse/data.ini)
write_profile(${WORK}/bom "[ players ]" "")
write_profile(${WORK}/tab "[\tplayers\t]" "")
write_profile(${WORK}/blank "[players] \t" "")
foreach(case bom tab blank)
  run_game(${WORK}/${case}
    "expect players == [\"Ann\"]\nexpect options.music_volume == 20\nexpect message == null\n")
  expect_in(${WORK}/${case}/Quillmoor/Moorhouse/data.ini "opt_mvolume = 20")
endforeach()

# One changed byte: the list reads empty. The player is told, the file stays
# as it was, and a new player is saved next to every section it held.
write_profile(${WORK}/changed "[ pl@yers ]" "[ Ann_data ]\r\ngate = open\r\n")
set(ini ${WORK}/changed/Quillmoor/Moorhouse/data.ini)
file(SHA256 ${ini} before)
run_game(${WORK}/changed
  "tick 1\nexpect players == []\nexpect message contains \"could not be read\"\ntick 5\n")
file(SHA256 ${ini} after)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "a player list that read empty changed data.ini")
endif()
run_game(${WORK}/changed [[
tick 1
expect message contains "could not be read"
click 512 456
tick 601
tick 2
expect visible contains wnd_prof
type Bea
tick 2
click 442 552
tick 2
expect player == "Bea"
]])
foreach(kept "[ pl@yers ]" "opt_mvolume = 20" "gate = open" "opt_plist = Bea")
  expect_in(${ini} "${kept}")
endforeach()

# --- Names and counts from a hand-edited file --------------------------------------

# Ten players are all kept; a name too long for a folder is refused as a name,
# not taken for a damaged save, so no message.
string(REPEAT "x" 300 long_name)
set(folder ${WORK}/many/Quillmoor/Moorhouse)
file(MAKE_DIRECTORY ${folder})
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = A1/A2/A3/A4/A5/A6/A7/A8/A9/A10/${long_name}\r\n"
  "opt_player = ${long_name}\r\n")
run_game(${WORK}/many
  "expect players.length == 10\nexpect players.9 == A10\nexpect player == \"\"\ntick 1\nexpect message == null\n")
expect_in(${folder}/data.ini "opt_plist = A1/A2/A3/A4/A5/A6/A7/A8/A9/A10\n")

# An inventory count pushed to the largest number brings no blank entries;
# stale temporary files of cut-short saves go when their folder is saved next.
write_profile(${WORK}/count "[ players ]"
  "lev_current = bridge\r\n\r\n[ Ann_inv ]\r\ncount = 2147483647\r\nname_0 = ankh\r\nx_0 = 5\r\n"
  "y_0 = 5\r\nstate_0 = normal\r\n")
set(folder ${WORK}/count/Quillmoor/Moorhouse)
file(WRITE ${folder}/data.ini.tmp-Ab12Cd "torn")
file(WRITE ${folder}/Ann/levels/bridge.cfg.tmp-x9Y8z7 "torn")
file(WRITE ${folder}/Ann/levels/notes.tmp-keep "the player's own")
run_game(${WORK}/count [[
tick 601
expect inventory.length == 1
click 512 536
tick 60
expect level == "bridge"
click 90 480
tick 80
expect level == "alley"
]])
expect_in(${folder}/data.ini "[ Ann_inv ]\ncount = 1\nname_0 = ankh\n")
file(GLOB_RECURSE stale ${folder}/*.tmp-*)
if(NOT stale STREQUAL "${folder}/Ann/levels/notes.tmp-keep")
  message(FATAL_ERROR "temporary files of cut-short saves left, or others taken: ${stale}")
endif()

# --- Links where the game writes ---------------------------------------------------

# Ann's levels folder and the log are links to the player's own files: she
# restarts with the damaged-save message, the links are kept aside, and
# nothing they point to is written.
write_profile(${WORK}/links "[ players ]" "lev_current = bridge\r\n")
set(folder ${WORK}/links/Quillmoor/Moorhouse)
file(RENAME ${folder}/Ann/levels ${WORK}/elsewhere)
file(WRITE ${WORK}/own_log.txt "not the game's log")
file(CREATE_LINK ${WORK}/elsewhere ${folder}/Ann/levels SYMBOLIC)
file(CREATE_LINK ${WORK}/own_log.txt ${folder}/log.txt SYMBOLIC)
file(GLOB_RECURSE outside ${WORK}/elsewhere/*)
set(outside_before "")
foreach(file ${outside})
  file(SHA256 ${file} sum)
  list(APPEND outside_before ${sum})
endforeach()
run_game(${WORK}/links [[
tick 1
expect message contains "damaged"
expect player == "Ann"
click 512 456
tick 601
click 512 536
tick 60
expect level == "intro"
]])
file(GLOB_RECURSE outside_after ${WORK}/elsewhere/*)
if(NOT outside STREQUAL outside_after)
  message(FATAL_ERROR "files appeared or went behind the link:\n${outside_after}")
endif()
foreach(file ${outside})
  file(SHA256 ${file} sum)
  list(POP_FRONT outside_before expected)
  if(NOT sum STREQUAL expected)
    message(FATAL_ERROR "${file} was written through a link")
  endif()
endforeach()
file(READ ${WORK}/own_log.txt own_log)
if(NOT own_log STREQUAL "not the game's log" OR NOT IS_SYMLINK ${folder}/log.txt)
  message(FATAL_ERROR "the log was written through a link")
endif()
if(NOT IS_SYMLINK ${folder}/Ann/levels.link OR IS_SYMLINK ${folder}/Ann/levels
   OR NOT EXISTS ${folder}/Ann/levels/bridge.cfg)
  message(FATAL_ERROR "the linked levels folder was not set aside for a real one")
endif()

# The player folder itself a link: the same, one level up.
write_profile(${WORK}/linked_player "[ players ]" "")
set(folder ${WORK}/linked_player/Quillmoor/Moorhouse)
file(RENAME ${folder}/Ann ${WORK}/ann_elsewhere)
file(CREATE_LINK ${WORK}/ann_elsewhere ${folder}/Ann SYMBOLIC)
file(GLOB_RECURSE outside ${WORK}/ann_elsewhere/*)
run_game(${WORK}/linked_player "tick 1\nexpect message contains \"damaged\"\ntick 5\n")
file(GLOB_RECURSE outside_after ${WORK}/ann_elsewhere/*)
if(NOT outside STREQUAL outside_after OR NOT IS_SYMLINK ${folder}/Ann.link
   OR NOT EXISTS ${folder}/Ann/levels/bridge.cfg)
  message(FATAL_ERROR "the linked player folder was written through or not set aside")
endif()

# --- The game's own data ---------------------------------------------------------

# A game root without "save_folder" in its texts stops before anything is
# saved, instead of saving under a stand-in name.
file(MAKE_DIRECTORY ${WORK}/no_key_root/data/text)
file(STRINGS ${game_dir}/data/text/strings.cfg texts)
list(FILTER texts EXCLUDE REGEX "^save_folder")
list(JOIN texts "\n" texts)
file(WRITE ${WORK}/no_key_root/data/text/strings.cfg "${texts}\n")
file(MAKE_DIRECTORY ${WORK}/no_key ${WORK}/broken)
run_game(${WORK}/no_key "tick 1\n" ROOT ${WORK}/no_key_root STATUS 74)
if(NOT last_error MATCHES "save_folder" OR EXISTS ${WORK}/no_key/Quillmoor)
  message(FATAL_ERROR "a missing save_folder was not refused:\n${last_error}")
endif()

# Without the image archive and with a damaged font the game still runs, and
# one message names the first broken file and the way to mend it.
set(root ${WORK}/broken_root)
file(MAKE_DIRECTORY ${root}/data/fonts)
foreach(part text levels scenes audio)
  file(CREATE_LINK ${game_dir}/data/${part} ${root}/data/${part} SYMBOLIC)
endforeach()
file(GLOB fonts ${game_dir}/data/fonts/*)
file(COPY ${fonts} DESTINATION ${root}/data/fonts)
file(WRITE ${root}/data/fonts/hand.zfi "damaged")
run_game(${WORK}/broken "tick 700\nexpect tick == 700\n" ROOT ${root})
string(REGEX MATCHALL "ERROR!" boxes "${last_error}")
list(LENGTH boxes box_count)
if(NOT box_count EQUAL 1 OR NOT last_error MATCHES "data/images.dat.*Reinstalling")
  message(FATAL_ERROR "broken game data not told once:\n${last_error}")
endif()
file(GLOB logs ${WORK}/broken/Quillmoor/Moorhouse/log.txt)
expect_in(${logs} "data/fonts/hand.zfi")
