// The small windows that open over a level or a hidden-object scene and
// close with a click: the reward of a finished hunt.
#pragma once

// The per-tick procedure of "wnd_popup": the reward just found, its name and
// picture; a click closes it.
void RewardPopupProcedure();
