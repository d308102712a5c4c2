# The hotel's first close-ups as a player meets them, in two sittings: the
# lamp says what it lacks, the drawer is pulled open and the game is quit;
# after a restart the drawer is still open, gives the handle and the clock
# hand, the floorboard its handle, and the lamp takes the handle and lights.
set(TUTORIAL_STEP 0)
include(${CMAKE_CURRENT_LIST_DIR}/sittings.cmake)

# Play, then wait out the fades of the menu and the level.
set(enter "tick 601\nclick 512 536\ntick 80\nexpect level == \"hotel\"\n")

run_sitting(first "${enter}
click 915 240
tick 25
expect zoomin.open == true
expect zoomin.name == \"q_lamp\"
screenshot lamp_open.png
click 512 344
tick 2
expect popup.key == \"hotel_q_lamp\"
expect zoomin.open == true
click 60 60
tick 2
expect zoomin.open == false
click 470 485
tick 25
expect zoomin.name == \"q_handle\"
click 512 344
tick 2
expect quest_keys.zoomin_q_handle_open == \"TRUE\"
expect zoomin.overlays.0.name == \"z_open\"
quit
")

run_sitting(second "${enter}
expect quest_keys.zoomin_q_handle_open == \"TRUE\"
click 470 485
tick 25
expect zoomin.overlays.0.name == \"z_open\"
click 512 344
tick 100
expect inventory.0.name == \"handle\"
click 512 344
tick 2
expect zoomin.open == false
expect inventory.1.name == \"chand1\"
expect quest_keys.zoomin_q_handle_open missing
click 680 585
tick 25
expect zoomin.name == \"q_floor\"
click 512 347
tick 100
expect inventory.2.name == \"ghandle\"
click 915 240
tick 25
click 302 733
tick 1
expect inventory.0.state == \"select\"
click 512 344
tick 2
expect inventory.0.name == \"chand1\"
expect quest_keys.zoomin_q_lamp_handle == \"TRUE\"
tick 20
screenshot lamp_fitted.png
click 512 368
tick 2
expect zoomin.open == false
expect quest_keys.zoomin_q_lamp_handle missing
expect objects.0.name == \"q_case\"
quit
")
