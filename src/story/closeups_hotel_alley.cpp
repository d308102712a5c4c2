// The close-ups of the hotel and the alley, and the documents found later in
// the laboratory, the library and the cabinet.
#include <array>

#include "res/sounds.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "world/inventory.h"

namespace {

// Animations that start again with every opening of their close-up.
struct Animations {
  int bloom = 0;   // the flower bed's new flower opening
  int flame = 0;   // the lighter's flame in the hollow
};
Animations g_anim;

constexpr int kBloomFrames = 60;

// The gas lamp: its tap handle is missing.
void Lamp(CloseUp& z) {
  if (z.Flag("handle")) {
    z.Draw("z_handle", 216, 192);
    if (z.Clicked(216, 192, 80, 48) && CloseUp::HandEmpty()) {
      sounds.play("gas");
      CloseUp::Add("q_dark", "inactive", 0, 0);
      z.Finish();
    }
  } else if (z.ClickedAnywhere() && z.UseItem("handle", "hotel_q_lamp") == CloseUp::Use::Taken) {
    sounds.play("set");
    z.SetFlag("handle", true);
  }
}

// The drawer under the reception desk: pulled open, it holds the lamp's
// handle and a clock hand.
void Drawer(CloseUp& z) {
  const bool open = z.Flag("open");
  const bool handle = z.Flag("handle");
  if (open) z.Draw(handle ? "z_open2" : "z_open", 96, 72);
  if (!z.Clicked(96, 72, 320, 240) || !CloseUp::HandEmpty()) return;
  if (!open) {
    sounds.play("metal");
    CloseUp::Add("q_open", "inactive", 470, 485);
    z.SetFlag("open", true);
  } else if (!handle) {
    z.Give("handle");
    z.SetFlag("handle", true);
  } else {
    z.Give("chand1");
    z.Finish();
  }
}

// The loose floorboard: the grindstone's handle lies under it.
void Floorboard(CloseUp& z) {
  z.Draw("ghandle", 300, 165);
  if (z.Clicked(112, 150, 288, 90) && CloseUp::HandEmpty()) {
    z.Give("ghandle");
    z.Finish();
  }
}

// The dead flower bed: the potion of life brings one flower back, and a page
// of the notebook lies under it.
void FlowerBed(CloseUp& z) {
  if (z.JustOpened()) g_anim.bloom = 0;
  if (!z.Flag("alive")) {
    if (z.ClickedAnywhere() &&
        z.UseItem("potion_of_life", "alley_q_bed") == CloseUp::Use::Taken) {
      sounds.play("pour");
      sounds.play("magic");
      z.EmitStars(340, 140, 60, 160, 140);
      z.SetFlag("alive", true);
      ShowSceneMessage("alley_q_flower");
    }
    return;
  }
  // The flower opens slowly each time the bed is looked at.
  if (g_anim.bloom < kBloomFrames) ++g_anim.bloom;
  z.Draw("z_bflower", 356, 112, 0xFFFFFF, static_cast<uint8_t>(255 * g_anim.bloom / kBloomFrames));
  if (z.Clicked(356, 112, 128, 192) && CloseUp::HandEmpty()) {
    z.Give("page");
    CollectDocument("q_gustav1");
    z.Finish();
  }
}

// The hollow of the old tree: too dark to see into without a light.
void Hollow(CloseUp& z) {
  if (z.JustOpened()) g_anim.flame = 0;
  if (!z.Flag("light")) {
    if (z.Clicked(200, 160, 112, 104) &&
        z.UseItem("lighter", "alley_q_hollow") == CloseUp::Use::Taken) {
      sounds.play("match");
      z.SetFlag("light", true);
    }
    return;
  }
  z.Draw("z_hol2", 208, 162);
  z.Draw("lighter", 300, 186);
  // The flame flickers above the lighter.
  if (++g_anim.flame % 4 == 0) {
    z.EmitEffect("p_fire", 332, 190, 1);
    z.EmitEffect("p_plight", 332, 190, 1);
  }
  if (z.Clicked(208, 162, 96, 96) && CloseUp::HandEmpty()) {
    z.Give("left_half_moon");
    z.Finish();
  }
}

// Under the bench, where the falling pumpkin knocked the cage key loose.
void Bench(CloseUp& z) {
  z.Draw("z_hit", 300, 290);
  if (z.Clicked(300, 290, 96, 64) && CloseUp::HandEmpty()) {
    z.Give("cage_key");
    z.Finish();
  }
}

// A document: one look with empty hands copies it into the diary.
void Document(CloseUp& z) {
  if (z.ClickedAnywhere() && CloseUp::HandEmpty()) {
    CollectDocument(z.Quest());
    z.Finish();
  }
}

constexpr std::array kHandlers{
    CloseUpHandler{"q_lamp", Lamp},         CloseUpHandler{"q_handle", Drawer},
    CloseUpHandler{"q_bed", FlowerBed},     CloseUpHandler{"q_hollow", Hollow},
    CloseUpHandler{"q_bench", Bench},       CloseUpHandler{"q_floor", Floorboard},
    CloseUpHandler{"q_sketch", Document},   CloseUpHandler{"q_sbook", Document},
    CloseUpHandler{"q_machine", Document},
};

}  // namespace

std::span<const CloseUpHandler> HotelAlleyCloseUps() { return kHandlers; }
