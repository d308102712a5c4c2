# Runs artgen over a sprite list with a broken third line: the run must fail
# and name the list and the line, as the build shows it.
#   cmake -DARTGEN=artgen -DSOURCE=content/art -DWORK=dir -P artgen_refusal.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/sprites.txt
  "# a level's pictures\n"
  "levels/hotel q_lamp 80 120 zoomin \"gas lamp\"\n"
  "levels/hotel q_case 90 wide puzzle \"suitcase\"\n")
execute_process(
  COMMAND ${ARTGEN} --src ${SOURCE} --out ${WORK}/images --only levels/hotel --sprites ${WORK}/sprites.txt
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(status EQUAL 0)
  message(FATAL_ERROR "artgen accepted a faulty sprite list")
endif()
if(NOT errors MATCHES "sprites.txt:3: ")
  message(FATAL_ERROR "artgen did not name the faulty line:\n${errors}")
endif()
file(REMOVE_RECURSE ${WORK})
