set(LEVEL credits)
include(${script_dir}/one_player_at.cmake)
