set(LEVEL outro)
include(${script_dir}/one_player_at.cmake)
