# A hand-edited profile file names ".." and ".x" among the players and makes
# ".." the current one; a folder "x" stands next to the profile folder with
# something in it.
set(folder ${HOME}/Quillmoor/Moorhouse)
file(MAKE_DIRECTORY ${folder} ${HOME}/Quillmoor/x)
file(WRITE ${HOME}/Quillmoor/x/keep.txt "not the game's")
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = ../Bob/.x\r\nopt_player = ..\r\n\r\n[ .. ]\r\n"
  "opt_mvolume = 10\r\n")
