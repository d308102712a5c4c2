# Shared by the editor's scripts: PLAYER (the developer word of the game's
# texts unless a script says otherwise) standing in LEVEL after the guide,
# with an axe, two diary pages, a task, a quest step under way, a damaged
# copy of the alley for the world reset to mend, and an empty content
# folder for the editor to save into.
if(NOT PLAYER)
  set(PLAYER quilldev)
endif()
set(folder ${HOME}/Quillmoor/Moorhouse)
set(CONTENT ${WORK}/content)
file(MAKE_DIRECTORY ${folder}/${PLAYER}/levels ${folder}/${PLAYER}/scenes ${CONTENT}/levels)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = ${PLAYER}\r\nopt_player = ${PLAYER}\r\n\r\n[ ${PLAYER} ]\r\n"
  "opt_mvolume = 75\r\nopt_svolume = 75\r\nopt_evolume = 75\r\nopt_fullscreen = TRUE\r\n"
  "opt_ccursor = TRUE\r\nopt_tut = TRUE\r\nopt_inum = 8\r\nlev_current = ${LEVEL}\r\n"
  "diary_max = 2\r\ndiary_page = 2\r\ndiary_page1 = default\r\ndiary_page2 = letter\r\n"
  "tasks_count = 1\r\ntasks_name0 = task_house\r\ntasks_res0 = main\r\n\r\n"
  "[ ${PLAYER}_inv ]\r\ncount = 1\r\nname_0 = axe\r\nx_0 = 302\r\ny_0 = 733\r\nstate_0 = normal\r\n\r\n"
  "[ ${PLAYER}_data ]\r\nzoomin_q_lamp_handle = TRUE\r\n")
foreach(kind levels scenes)
  file(GLOB shipped ${game_dir}/data/${kind}/*.cfg)
  file(COPY ${shipped} DESTINATION ${folder}/${PLAYER}/${kind})
endforeach()
file(WRITE ${folder}/${PLAYER}/levels/alley.cfg "0\r\n")
list(APPEND GAME_ARGS --content ${CONTENT})
