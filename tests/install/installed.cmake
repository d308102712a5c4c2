# Installs the game into a fresh prefix (with a blank in its path, as a home
# folder may have), moves the whole prefix elsewhere, and
# checks what a desktop needs: the program, its data, the desktop entry and
# metadata (validated), the icon at every size, the manual page. Then the
# moved program plays headless from there: it must find its data from its
# own place and leave the installed files as they were.
#   BUILD: the build folder, GAME_DIR: the game root the build made,
#   APP_ID, SCRIPT, WORK
file(REMOVE_RECURSE ${WORK})
set(first "${WORK}/my games")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${first}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${err}")
endif()
# The menu starts the program by its full path, quoted for the blank.
file(STRINGS "${first}/share/applications/${APP_ID}.desktop" exec_line REGEX "^Exec=")
if(NOT exec_line STREQUAL "Exec=\"${first}/bin/quillmoor\"")
  message(FATAL_ERROR "the desktop entry starts ${exec_line}")
endif()
file(RENAME ${first} ${WORK}/moved)
set(prefix ${WORK}/moved)

set(desktop ${prefix}/share/applications/${APP_ID}.desktop)
set(metainfo ${prefix}/share/metainfo/${APP_ID}.metainfo.xml)
set(manual ${prefix}/share/man/man6/quillmoor.6)
foreach(path bin/quillmoor share/quillmoor/data/text/strings.cfg share/quillmoor/data/images.dat)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# Every file the build generated into data/ is installed.
file(GLOB_RECURSE generated RELATIVE ${GAME_DIR}/data ${GAME_DIR}/data/*)
foreach(path IN LISTS generated)
  if(NOT EXISTS ${prefix}/share/quillmoor/data/${path})
    message(FATAL_ERROR "data/${path} is generated but not installed")
  endif()
endforeach()

# The icon at each size, as the PNG header gives it (width and height are the
# two 32-bit numbers from byte 16), under the name the desktop entry uses.
file(STRINGS ${desktop} icon_line REGEX "^Icon=")
if(NOT icon_line STREQUAL "Icon=${APP_ID}")
  message(FATAL_ERROR "the desktop entry names the icon \"${icon_line}\", installed as ${APP_ID}")
endif()
foreach(size 16 32 48 64 128 256)
  set(icon ${prefix}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png)
  if(NOT EXISTS ${icon})
    message(FATAL_ERROR "no ${size} x ${size} icon")
  endif()
  file(READ ${icon} header HEX OFFSET 16 LIMIT 8)
  math(EXPR want "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${want}" 2 -1 want)
  string(LENGTH "${want}" digits)
  math(EXPR pad "8 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  string(TOLOWER "${zeros}${want}${zeros}${want}" want)
  if(NOT header STREQUAL want)
    message(FATAL_ERROR "${icon} is not ${size} x ${size} (header ${header})")
  endif()
endforeach()

function(must_pass what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}${err}")
  endif()
endfunction()
must_pass("desktop-file-validate" desktop-file-validate ${desktop})
must_pass("appstreamcli validate" appstreamcli validate --no-net ${metainfo})
find_program(GROFF groff)
if(GROFF)
  # -ww: every warning; the page must render without one.
  execute_process(COMMAND ${GROFF} -man -ww -z ${manual} ERROR_VARIABLE warnings RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page has faults:\n${warnings}")
  endif()
endif()

# The moved program, headless, with no --root.
file(GLOB_RECURSE before LIST_DIRECTORIES true ${prefix}/*)
file(MAKE_DIRECTORY ${WORK}/home)
configure_file(${SCRIPT} ${WORK}/installed_menu.qms COPYONLY)
execute_process(
  COMMAND ${prefix}/bin/quillmoor --headless --seed 1 --home ${WORK}/home --script ${WORK}/installed_menu.qms
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed program ended with status ${status}:\n${out}${err}")
endif()
file(READ ${WORK}/menu.json dump)
if(NOT dump MATCHES "\"wnd_menu\"")
  message(FATAL_ERROR "the dump does not show the main menu:\n${dump}")
endif()
file(GLOB_RECURSE after LIST_DIRECTORIES true ${prefix}/*)
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the run changed the installed files")
endif()

# The copies are large; a passing run leaves none behind.
file(REMOVE_RECURSE ${prefix})
