# Removes what `make install` put in place: every file listed in LIST (the
# install manifests of the installs made so far), then the folders below
# share/quillmoor that are left empty. Folders the game shares with other
# programs (bin/, share/applications/, the icon theme) are left alone.
#   cmake -DLIST=build/installed_files.txt -P cmake/Uninstall.cmake
if(NOT EXISTS "${LIST}")
  message(FATAL_ERROR "Nothing to uninstall: ${LIST} does not exist (make install writes it)")
endif()
file(STRINGS "${LIST}" installed)
list(REMOVE_DUPLICATES installed)
set(removed 0)
set(folders)
foreach(path IN LISTS installed)
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    file(REMOVE "${path}")
    math(EXPR removed "${removed} + 1")
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  while(folder MATCHES "/share/quillmoor(/|$)")
    list(APPEND folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
# Deepest first, so a folder is empty once its sub-folders have gone.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  file(GLOB left "${folder}/*" "${folder}/.*")
  if(IS_DIRECTORY "${folder}" AND NOT left)
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
file(REMOVE "${LIST}")
message(STATUS "Uninstalled ${removed} files")
