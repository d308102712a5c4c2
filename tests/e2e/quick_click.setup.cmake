include(${script_dir}/one_player.cmake)
