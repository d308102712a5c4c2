if(NOT IS_DIRECTORY ${HOME}/Quillmoor/Moorhouse/data.ini)
  message(FATAL_ERROR "what stood at data.ini was replaced")
endif()
