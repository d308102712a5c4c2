# After the credits the player's level is the outro again: Play shows the
# ending once more.
file(READ ${HOME}/Quillmoor/Moorhouse/data.ini profile)
string(FIND "${profile}" "lev_current = outro" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the credits did not put the player back at the outro:\n${profile}")
endif()
