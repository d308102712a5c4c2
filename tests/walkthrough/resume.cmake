# The recorded walkthrough cut at a chapter: the game plays the story up to
# there and quits; started again in the same per-user folder, the player
# presses Play and the rest of the story plays on from where they were, with
# every check of the later chapters holding. Done for each chapter of
# CHAPTERS (their titles, as the table writes them).
file(READ ${SCRIPT} script)
get_filename_component(game_dir ${GAME} DIRECTORY)
foreach(chapter IN LISTS CHAPTERS)
  string(FIND "${script}" "\n# ${chapter}\n" cut)
  if(cut LESS 0)
    message(FATAL_ERROR "the recorded walk has no chapter \"${chapter}\"")
  endif()
  string(MAKE_C_IDENTIFIER "${chapter}" name)
  set(work ${WORK}/${name})
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work}/home)
  math(EXPR cut "${cut} + 1")
  string(SUBSTRING "${script}" 0 ${cut} before)
  string(SUBSTRING "${script}" ${cut} -1 after)
  file(WRITE ${work}/before.qms "${before}quit\n")
  # The game starts again on its splash; Play takes the player back in.
  file(WRITE ${work}/after.qms "tick 601\nclick 512 536\ntick 120\n${after}")
  foreach(part before after)
    execute_process(
      COMMAND ${GAME} --headless --seed 1 --root ${game_dir} --home ${work}/home
              --script ${work}/${part}.qms
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cut at \"${chapter}\": the part ${part} ended with status ${status}")
    endif()
  endforeach()
endforeach()
