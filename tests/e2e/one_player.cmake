# Shared by the setup files of scripts that start with a player "Ada" who
# has played nothing yet: the profile file and the player's folder with
# fresh copies of the shipped levels and scenes.
set(folder ${HOME}/Quillmoor/Moorhouse)
file(MAKE_DIRECTORY ${folder}/Ada/levels ${folder}/Ada/scenes)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\nopt_mvolume = 75\r\n"
  "opt_svolume = 75\r\nopt_evolume = 75\r\nopt_fullscreen = TRUE\r\nopt_ccursor = TRUE\r\n"
  "opt_tut = FALSE\r\nopt_inum = 0\r\n")
foreach(kind levels scenes)
  file(GLOB shipped ${game_dir}/data/${kind}/*.cfg)
  if(shipped)
    file(COPY ${shipped} DESTINATION ${folder}/Ada/${kind})
  endif()
endforeach()
