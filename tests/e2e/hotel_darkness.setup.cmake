include(${script_dir}/toured_player.cmake)
