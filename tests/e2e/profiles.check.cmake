# The new player is in the profile file with the option defaults, and has a
# folder of their own for the saved levels and scenes.
set(folder ${HOME}/Quillmoor/Moorhouse)
file(READ ${folder}/data.ini profile)
foreach(line "[ players ]" "opt_plist = Anna1" "opt_player = Anna1" "[ Anna1 ]"
             "opt_mvolume = 75" "opt_fullscreen = TRUE" "opt_tut = FALSE" "opt_inum = 0")
  string(FIND "${profile}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "data.ini lacks \"${line}\":\n${profile}")
  endif()
endforeach()
string(FIND "${profile}" "[ anna1 ]" twin)
if(NOT twin EQUAL -1)
  message(FATAL_ERROR "a second profile \"anna1\" was made:\n${profile}")
endif()
if(NOT IS_DIRECTORY ${folder}/Anna1/levels OR NOT IS_DIRECTORY ${folder}/Anna1/scenes)
  message(FATAL_ERROR "the player's folder was not made below ${folder}/Anna1")
endif()
