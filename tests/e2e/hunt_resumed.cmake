# The hotel's luggage corner in two sittings: two things found and landed, a
# third just clicked, and the game quit from inside the scene; after a restart
# the same entrance opens the scene with the two still found, the third
# finishing its flight, and the rest still to find.
set(TUTORIAL_STEP 8)
include(${CMAKE_CURRENT_LIST_DIR}/sittings.cmake)

# Play, wait out the fades, and enter the scene by the scarecrow's entrance.
set(enter "tick 601\nclick 512 536\ntick 80\nexpect level == \"hotel\"\nclick 910 560\ntick 120\nexpect visible contains wnd_ho\n")

run_sitting(first "${enter}
click 250 146
click 380 146
tick 300
expect ho.list.1.found == true
expect ho.list.2.found == true
click 132 506
tick 1
expect ho.objects.3.kind == click
quit
")

run_sitting(second "${enter}
expect ho.entry == q_scarecrow_head
expect ho.list.1.found == true
expect ho.list.2.found == true
expect ho.list.3.found == false
expect ho.objects.4.kind == item
tick 300
expect ho.list.3.found == true
expect ho.objects.5.kind == item
quit
")
