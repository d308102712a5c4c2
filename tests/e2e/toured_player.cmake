# Shared by the setup files of scripts that start with a player "Ada" who has
# had the guide's tour and stands in the hotel with nothing done yet.
include(${script_dir}/one_player.cmake)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\nopt_mvolume = 75\r\n"
  "opt_svolume = 75\r\nopt_evolume = 75\r\nopt_fullscreen = TRUE\r\nopt_ccursor = TRUE\r\n"
  "opt_tut = TRUE\r\nopt_inum = 8\r\nlev_current = hotel\r\n")
