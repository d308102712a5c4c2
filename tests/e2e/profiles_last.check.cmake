# The player's folder is gone; the profile file is gone too or holds an empty
# player list.
set(folder ${HOME}/Quillmoor/Moorhouse)
if(EXISTS ${folder}/Solo)
  message(FATAL_ERROR "the deleted player's folder is still there")
endif()
if(EXISTS ${folder}/data.ini)
  file(READ ${folder}/data.ini profile)
  if(profile MATCHES "Solo")
    message(FATAL_ERROR "data.ini still names the deleted player:\n${profile}")
  endif()
endif()
