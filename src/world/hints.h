// Hints: one recharge shared by the level's hint button, which opens the
// quest-hint window on the item in hand, and the hidden-object scene's,
// which rings one thing still to find with sparks. After a hint the button
// greys and a veil of smoke sinks over it as the charge runs down; when it
// has run out a shower of sparks says the hint is ready again.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The charge right after a hint, and what it loses each frame: 8000 frames,
// eighty seconds.
inline constexpr float kHintFullCharge = 80.0f;
inline constexpr float kHintChargeStep = 0.01f;
// The button's tint while the hint recharges.
inline constexpr uint32_t kHintRechargingTint = 0x888888;

struct HintSpot {
  float x = 0.0f, y = 0.0f;
  std::string_view obstacle;  // the level object that keeps the spot valid
};

// Where the obstacle of the current level's hidden-object scene lies, the
// spot a scene hint may ring instead of a thing; none for a level without
// one or once the level no longer holds the obstacle.
std::optional<HintSpot> FixedHintSpot(std::string_view level);

// --- Each frame -------------------------------------------------------------------------

// The developer's H: the running recharge ends on the next frame.
void HintDeveloperKey();
// The hint button's tint (and, for the scene's "btn_hint", its disabling)
// and one frame of the recharge.
void HintRecharge(const char* button);
// Drawn by the hint buttons over their face: the veil as high as the charge
// and the hint's sparks. `in_scene` tells the scene's button from the level's.
void DrawHintMeter(bool in_scene);

// --- Asking for a hint ------------------------------------------------------------------

// The scene's hint button: the recharge starts and a ring of sparks marks
// one thing of the hunt still to find (or the obstacle's spot).
void UseSceneHint();
// The level's hint button: the quest-hint window on the item in hand; only
// a hint about an item costs a recharge, and while one runs the player is
// asked to wait.
void UseQuestHint();

// Which thing of the hunt's group starting at `first` the scene's hint
// marks: a scene object's index, kHintOnSpot for the fixed spot, or -1 when
// nothing of the group is left to find. Only things within the scene count.
inline constexpr int kHintOnSpot = -2;
int ChooseHintTarget(int first, bool with_spot);
