# Answering the offer was saved at once, with the level the player is in.
file(READ ${HOME}/Quillmoor/Moorhouse/data.ini profile)
foreach(line "opt_tut = TRUE" "lev_current = hotel")
  string(FIND "${profile}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "data.ini lacks \"${line}\":\n${profile}")
  endif()
endforeach()
