# The exit callback saved the profile, progress keys included, and the log
# shows the engine ending normally.
file(READ ${HOME}/Quillmoor/Moorhouse/data.ini profile)
foreach(line "opt_player = Ada" "lev_current = ")
  string(FIND "${profile}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the exit did not save \"${line}\":\n${profile}")
  endif()
endforeach()
