// The quest-hint window over a level: what the item in hand is good for.
#pragma once

// The per-tick procedure of "wnd_qhint": the item's name, its hint picture
// in a frame with a glow behind it, or, with nothing in hand, how to ask; a
// click closes it.
void QuestHintProcedure();
