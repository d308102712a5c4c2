# An ordinary player in the hotel.
set(LEVEL hotel)
set(PLAYER Ada)
include(${script_dir}/developer_at.cmake)
