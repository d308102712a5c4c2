# Nothing was written under the missing level's name; the player is saved
# at the start.
set(folder ${HOME}/Quillmoor/Moorhouse)
if(EXISTS ${folder}/Ada/levels/zzzz.cfg)
  message(FATAL_ERROR "a copy of the missing level was written")
endif()
file(READ ${folder}/data.ini profile)
string(FIND "${profile}" "lev_current = intro" at)
if(at EQUAL -1)
  message(FATAL_ERROR "data.ini does not put the player at the start:\n${profile}")
endif()
