# OK saved the new music volume.
file(READ ${HOME}/Quillmoor/Moorhouse/data.ini profile)
string(FIND "${profile}" "opt_mvolume = 0" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the music volume was not saved:\n${profile}")
endif()
