# Installing the game on a Linux desktop, and its Debian package.
#
#   cmake --install build --prefix P   (or: make install PREFIX=P)
#
# puts the program at P/bin/quillmoor, the generated data at
# P/share/quillmoor/data/, and what a desktop needs to show the game in its
# menu: the desktop entry, the icon at every size, the AppStream metadata
# and the manual page. The program finds the data from its own folder, so
# P may be moved as a whole. `make package` (CPack) builds the .deb from the
# same rules. Included by the top level after tools/ has set up the content
# and the icons.

install(TARGETS quillmoor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(QUILLMOOR_DIST_SOURCE ${CMAKE_SOURCE_DIR}/dist)
set(QUILLMOOR_DIST ${CMAKE_BINARY_DIR}/dist)
# The day this version was released, for the metadata's release list.
set(QUILLMOOR_RELEASE_DATE 2026-12-08)
configure_file(${QUILLMOOR_DIST_SOURCE}/${QUILLMOOR_APP_ID}.metainfo.xml.in
  ${QUILLMOOR_DIST}/${QUILLMOOR_APP_ID}.metainfo.xml @ONLY)
configure_file(${QUILLMOOR_DIST_SOURCE}/quillmoor.6 ${QUILLMOOR_DIST}/quillmoor.6 @ONLY)

# The desktop entry names the program by its installed path, so it is
# written at install time (cmake/DesktopEntry.cmake).
install(CODE "
  set(TEMPLATE \"${QUILLMOOR_DIST_SOURCE}/${QUILLMOOR_APP_ID}.desktop.in\")
  set(ENTRY \"${CMAKE_INSTALL_DATADIR}/applications/${QUILLMOOR_APP_ID}.desktop\")
  set(PROGRAM \"${CMAKE_INSTALL_BINDIR}/quillmoor\")
  include(\"${CMAKE_SOURCE_DIR}/cmake/DesktopEntry.cmake\")
")
install(FILES ${QUILLMOOR_DIST}/${QUILLMOOR_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUILLMOOR_DIST}/quillmoor.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
foreach(size 16 32 48 64 128 256)
  install(FILES ${QUILLMOOR_ICON_DIR}/${size}x${size}/apps/${QUILLMOOR_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# --- The Debian package --------------------------------------------------------------
set(QUILLMOOR_MAINTAINER "Inkmoth Studio <games@quillmoor.io>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmoor)
set(CPACK_PACKAGE_VENDOR "Inkmoth Studio")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hidden-object adventure in an old moorland house")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Quillmoor is a single-player hidden-object adventure. Walk through the"
  "painted rooms and grounds of an old house on the moor, pick up items and"
  "use them on what you find, search cluttered scenes for listed objects,"
  "solve puzzles and follow the story through a diary, a task list and"
  "cutscenes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLMOOR_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillmoor.io/)
# Depends: worked out by dpkg-shlibdeps from the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program goes in without its debugging information.
set(CPACK_STRIP_FILES ON)
# Installed files are owned by root whoever builds the package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The archive and sounds are compressed already; gzip keeps packing quick.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
