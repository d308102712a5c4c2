set(LEVEL hotel)
include(${script_dir}/one_player_at.cmake)
