# Builds the Debian package into a folder of its own and reads it back: the
# control fields a package archive needs (section games, a maintainer,
# Depends worked out from the shared libraries) and the files, all below
# /usr and owned by root.
#   CPACK: the cpack program, CPACK_CONFIG: the build's CPackConfig.cmake, APP_ID, WORK
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${CPACK_CONFIG} -B ${WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}${err}")
endif()
file(GLOB packages ${WORK}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one .deb in ${WORK}, found ${count}")
endif()

function(control field pattern)
  execute_process(COMMAND dpkg-deb --field ${packages} ${field} OUTPUT_VARIABLE value
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT value MATCHES "${pattern}")
    message(FATAL_ERROR "${field}: \"${value}\" does not match ${pattern}")
  endif()
endfunction()
control(Package "^quillmoor$")
control(Section "^games$")
control(Maintainer "^[^<]+ <[^@>]+@[^>]+>$")
# The program links SDL2, SDL2_image, libzip, Ogg Vorbis, Theora.
foreach(library libsdl2-2\\.0-0 libsdl2-image-2\\.0-0 libzip4 libvorbisfile3 libc6)
  control(Depends "(^|, )${library} \\(>= [^)]+\\)(,|$)")
endforeach()

execute_process(COMMAND dpkg-deb --contents ${packages} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb --contents failed")
endif()
set(wanted
  "-rwxr-xr-x root/root .* ./usr/bin/quillmoor"
  "./usr/share/quillmoor/data/images.dat"
  "./usr/share/quillmoor/data/text/strings.cfg"
  "./usr/share/applications/${APP_ID}.desktop"
  "./usr/share/metainfo/${APP_ID}.metainfo.xml"
  "./usr/share/man/man6/quillmoor.6")
foreach(size 16 32 48 64 128 256)
  list(APPEND wanted "./usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
endforeach()
foreach(pattern IN LISTS wanted)
  string(REPLACE "." "\\." pattern "${pattern}")
  string(REPLACE "\\.*" ".*" pattern "${pattern}")
  if(NOT listing MATCHES "${pattern}\n")
    message(FATAL_ERROR "the package lacks ${pattern}:\n${listing}")
  endif()
endforeach()
# The desktop entry names the program where the package puts it, not where
# the package was staged.
execute_process(COMMAND dpkg-deb --fsys-tarfile ${packages}
  COMMAND tar -xOf - ./usr/share/applications/${APP_ID}.desktop
  OUTPUT_VARIABLE entry RESULT_VARIABLE status)
if(NOT entry MATCHES "\nExec=/usr/bin/quillmoor\n")
  message(FATAL_ERROR "the packaged desktop entry does not start /usr/bin/quillmoor:\n${entry}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
foreach(line IN LISTS lines)
  if(NOT line MATCHES " root/root .* \\./(usr/((bin|share)/.*)?)?$")
    message(FATAL_ERROR "out of place or not owned by root: ${line}")
  endif()
  if(line MATCHES "\\./usr/local|/build/|_CPack")
    message(FATAL_ERROR "a build path in the package: ${line}")
  endif()
endforeach()

# The staged copy and the package are large; a passing run leaves neither.
file(REMOVE_RECURSE ${WORK})
