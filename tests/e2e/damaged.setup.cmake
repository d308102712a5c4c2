# A player whose saved copy of one level has gone, and whose music is quiet.
set(LEVEL bridge)
include(${script_dir}/one_player_at.cmake)
file(READ ${folder}/data.ini profile)
string(REPLACE "opt_mvolume = 75" "opt_mvolume = 33" profile "${profile}")
file(WRITE ${folder}/data.ini "${profile}")
file(REMOVE ${folder}/Ada/levels/gates.cfg)
