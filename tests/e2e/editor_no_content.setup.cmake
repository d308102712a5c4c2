# The developer in the hotel, with a content folder that is not there (as
# for an installed game, which has none).
set(LEVEL hotel)
include(${script_dir}/developer_at.cmake)
set(GAME_ARGS --content ${WORK}/missing)
