set(LEVEL intro)
include(${script_dir}/one_player_at.cmake)
