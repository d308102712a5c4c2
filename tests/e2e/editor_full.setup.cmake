# The developer in the hotel, and two levels in the content folder: one
# without pictures, one holding as many objects as a level can.
set(LEVEL hotel)
include(${script_dir}/developer_at.cmake)
set(crowded "129\r\n")
foreach(i RANGE 1 129)
  string(APPEND crowded "q_jar\r\n${i}\r\n600\r\nitem\r\n")
endforeach()
file(WRITE ${CONTENT}/levels/crowded.cfg "${crowded}")
file(WRITE ${CONTENT}/levels/bare.cfg "0\r\n")
