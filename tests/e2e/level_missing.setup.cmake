# A player whose saved current level is one the game does not have.
set(LEVEL zzzz)
include(${script_dir}/one_player_at.cmake)
