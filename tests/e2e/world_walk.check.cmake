# Leaving saved the bridge without the stick, and the profile with it in the
# inventory and the alley as the current level.
file(READ ${HOME}/Quillmoor/Moorhouse/Ada/levels/bridge.cfg bridge)
string(FIND "${bridge}" "q_wooden_stick" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the stick is still in the bridge's saved copy:\n${bridge}")
endif()
file(READ ${HOME}/Quillmoor/Moorhouse/data.ini profile)
foreach(line "lev_current = alley" "name_0 = wooden_stick")
  string(FIND "${profile}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "data.ini lacks \"${line}\":\n${profile}")
  endif()
endforeach()
