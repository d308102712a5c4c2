set(LEVEL bridge)
include(${script_dir}/one_player_at.cmake)
