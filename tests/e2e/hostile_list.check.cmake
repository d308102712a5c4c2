# The folder outside the profile folder is untouched.
if(NOT EXISTS ${HOME}/Quillmoor/x/keep.txt)
  message(FATAL_ERROR "deleting a player removed ../x/keep.txt")
endif()
