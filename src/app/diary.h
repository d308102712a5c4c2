// The diary over the whole screen, paging through the story's entries the
// player has collected, and the help text of the open puzzle.
#pragma once

struct DiaryState;

// Opening the diary at the page last read, and turning its pages; turning
// past either end leaves the page where it is, without the page's rustle.
void OpenDiary();
void DiaryPreviousPage();
void DiaryNextPage();

// Brings a page read from a save into the diary: the page shown and the one
// fading out always lie in 1..pages (1 for a diary without pages).
void KeepDiaryPagesInRange(DiaryState& diary);

// The per-tick procedure of "wnd_diary": the book, its page cross-fading
// into the next, the page buttons; a click beside the book closes it.
void DiaryProcedure();

// The per-tick procedure of "wnd_help": the open puzzle's help text; a click
// closes it, and it goes with the puzzle window.
void HelpProcedure();
