# Writes the desktop entry at install time, when the prefix is known, with
# the program's full installed path in Exec: a menu must start the game even
# when PREFIX/bin is not on the PATH (a fresh account's ~/.local/bin is not).
# Run by install(CODE) with TEMPLATE (the .desktop.in), ENTRY (its place
# below the prefix) and PROGRAM (the program's place below the prefix).
set(program "${CMAKE_INSTALL_PREFIX}/${PROGRAM}")
# The entry format's Exec rules: a path with a blank or another reserved
# character is quoted, with \ " ` $ escaped inside the quotes; the string
# escaping of the file then doubles every backslash once more. % is %%.
if(program MATCHES "[^A-Za-z0-9/._+-]")
  string(REPLACE "\\" "\\\\" program "${program}")
  string(REPLACE "\"" "\\\"" program "${program}")
  string(REPLACE "`" "\\`" program "${program}")
  string(REPLACE "$" "\\$" program "${program}")
  string(REPLACE "\\" "\\\\" program "${program}")
  set(program "\"${program}\"")
endif()
string(REPLACE "%" "%%" QUILLMOOR_PROGRAM "${program}")
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${ENTRY}")
message(STATUS "Installing: ${entry}")
configure_file("${TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
