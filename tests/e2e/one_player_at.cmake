# Like one_player.cmake, with the player's saved current level set to LEVEL.
include(${script_dir}/one_player.cmake)
file(APPEND ${folder}/data.ini "lev_current = ${LEVEL}\r\n")
