# A player in the hotel, past the guide, with three diary pages (the last
# read being the second), one task done and one open.
include(${script_dir}/one_player.cmake)
file(WRITE ${folder}/data.ini
  "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\nopt_mvolume = 75\r\n"
  "opt_svolume = 75\r\nopt_evolume = 75\r\nopt_fullscreen = TRUE\r\nopt_ccursor = TRUE\r\n"
  "opt_tut = TRUE\r\nopt_inum = 8\r\nlev_current = hotel\r\n"
  "diary_max = 3\r\ndiary_page = 2\r\ndiary_page1 = default\r\ndiary_page2 = news\r\n"
  "diary_page3 = numbers\r\ntasks_count = 2\r\ntasks_name0 = task_house\r\ntasks_res0 = done\r\n"
  "tasks_name1 = task_tree\r\ntasks_res1 = main\r\n")
