# Screenshots go to a pictures folder of the test's own, made by the game.
set(ENV{XDG_PICTURES_DIR} ${WORK}/pictures/shots)
