// The close-ups of the castle: the stairs, the laboratory, the great hall's
// armchair, the kitchen, the yard, the hallway, the terrace and the cabinet.
// Each handler follows its picture: the offsets and regions below are where
// the painted things lie inside the 512 x 384 close-up.
#include <array>
#include <cstdint>
#include <string_view>

#include "res/sounds.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "world/inventory.h"
#include "world/world.h"

namespace {

// A click with an empty hand on a close-up that wants one of several items:
// the message says what is missing. True when it was shown.
bool TellWhatIsMissing(bool clicked, std::string_view message) {
  if (!clicked || !CloseUp::HandEmpty()) return false;
  ShowSceneMessage(message);
  return true;
}

// --- The stairs -------------------------------------------------------------

// The door whose lock is a mouth: it wants a taste of salt and of sugar, and
// then offers its brass hand to be shaken.
void Taste(CloseUp& z) {
  const bool sugar = z.Flag("sugar");
  const bool salt = z.Flag("salt");
  if (salt) z.Draw("z_tsalt", 196, 200);
  if (sugar) z.Draw("z_tsugar", 252, 200);
  if (salt && sugar) {
    z.Draw("z_hand", 216, 60);
    if (z.Clicked(216, 60, 96, 96) && CloseUp::HandEmpty()) {
      sounds.play("unlock");
      ShowSceneMessage("stairs_q_door");
      CloseUp::Add("q_door", "inactive", 512, 130);
      CloseUp::Add("q_hall", "area", 512, 130);
      // The hall was the goal of the whole stairway; it opens and is reached at once.
      OpenTask("task_hall");
      CloseTask("task_hall");
      z.Finish();
    }
    return;
  }
  const bool clicked = z.ClickedAnywhere();
  if (TellWhatIsMissing(clicked, "stairs_q_taste") || !clicked) return;
  if (!salt && z.UseItem("salt", "stairs_q_taste") == CloseUp::Use::Taken) {
    sounds.play("salt");
    z.SetFlag("salt", true);
    ShowSceneMessage("stairs_q_salt");
  } else if (!sugar && z.UseItem("sugar", "stairs_q_taste") == CloseUp::Use::Taken) {
    sounds.play("salt");
    z.SetFlag("sugar", true);
    ShowSceneMessage("stairs_q_sugar");
  }
}

// The tall vase: bees nest in its mouth until the spray drives them off; then
// the skull mould and the spiral amulet can be lifted out, in either order.
void Vase(CloseUp& z) {
  const bool spray = z.Flag("spray");
  if (!spray) {
    z.Draw("z_bugs", 166, 16);
    if (z.ClickedAnywhere() && z.UseItem("ispray", "stairs_q_vase") == CloseUp::Use::Taken) {
      sounds.play("cool");
      z.EmitFog(256, 66, 12);
      z.SetFlag("spray", true);
    }
    return;
  }
  bool skull = z.Flag("skull");
  bool spiral = z.Flag("spiral");
  if (!skull) z.Draw("z_skull", 170, 92);
  if (!spiral) z.Draw("z_spiral", 262, 92);
  if (!skull && z.Clicked(170, 92, 80, 80) && CloseUp::HandEmpty()) {
    z.Give("skull_form");
    z.SetFlag("skull", skull = true);
  } else if (!spiral && z.Clicked(262, 92, 80, 80) && CloseUp::HandEmpty()) {
    z.Give("spiral_amulet");
    z.SetFlag("spiral", spiral = true);
  }
  if (skull && spiral) z.Finish();
}

// The ball of wool on the newel post, wound round a wrench: cut it open.
void Ball(CloseUp& z) {
  if (!z.Flag("knife")) {
    if (z.ClickedAnywhere() && z.UseItem("knife", "stairs_q_ball") == CloseUp::Use::Taken) {
      sounds.play("cut");
      z.SetFlag("knife", true);
    }
    return;
  }
  z.Draw("z_ball", 136, 64);
  z.Draw("z_wrench", 206, 144);
  if (z.Clicked(206, 144, 100, 100) && CloseUp::HandEmpty()) {
    z.Give("wrench");
    CloseUp::Add("q_meat", "inactive", 330, 470);
    z.Finish();
  }
}

// --- The laboratory ---------------------------------------------------------

// The machine with a gap for a gear: fitted, it starts and lowers the lift box
// in the basement, ready for the elevator's close-up there.
void Gear(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("gear", "laboratory_q_gear") == CloseUp::Use::Taken) {
    sounds.play("engine");
    ShowSceneMessage("laboratory_q_elevator");
    CloseUp::Add("q_ngear", "inactive", 505, 230);
    CloseUp::Add("q_gr", "inactive", 505, 230);
    SetQuestFlag(CloseUpKeyPrefix("q_elevator") + "box", true);
    EnsureInLevel("basement", "q_box", "inactive", 790, 470);
    z.Finish();
  }
}

// The drawer glued shut round a knife: the solvent frees it.
void Knife(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("solvent", "laboratory_q_knife") == CloseUp::Use::Taken) {
    sounds.play("pour");
    z.Give("knife");
    CloseUp::Remove("q_k2");
    z.Finish();
  }
}

// The locked cupboard: the old key opens it, and its shelf becomes a close-up
// of its own in the level.
void Spray(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("old_key", "laboratory_q_spray") == CloseUp::Use::Taken) {
    sounds.play("unlock");
    CloseUp::Add("q_spray2", "inactive", 130, 460);
    CloseUp::Add("q_sspray", "zoomin", 680, 225);
    z.Finish();
  }
}

// The cupboard's shelf: an insect spray and a stone button, taken in either order.
void ShelfOfSprays(CloseUp& z) {
  bool spr = z.Flag("spr");
  bool btn = z.Flag("btn");
  if (!spr) z.Draw("z_spray", 120, 116);
  if (!btn) z.Draw("z_button", 296, 176);
  if (!spr && z.Clicked(120, 116, 112, 160) && CloseUp::HandEmpty()) {
    z.Give("ispray");
    z.SetFlag("spr", spr = true);
  } else if (!btn && z.Clicked(296, 176, 96, 96) && CloseUp::HandEmpty()) {
    z.Give("stone_button2");
    z.SetFlag("btn", btn = true);
  }
  if (spr && btn) z.Finish();
}

// Where the four bolts of the pipe's trap are painted, left to right, top to
// bottom, and their step keys.
struct Bolt {
  const char* step;
  const char* image;
  float x, y;
};
constexpr std::array<Bolt, 4> kBolts{{
    {"g1", "z_1", 126, 68},
    {"g2", "z_2", 306, 68},
    {"g3", "z_3", 126, 248},
    {"g4", "z_4", 306, 248},
}};
constexpr float kBoltSize = 80;

// The pipes: the wrench goes on the first bolt and stays on the pipe; the
// other three are undone by hand with it, and the opened trap holds salt.
void Pipe(CloseUp& z) {
  int undone = 0;
  for (const Bolt& b : kBolts) {
    if (z.Flag(b.step)) {
      z.Draw(b.image, b.x, b.y);
      ++undone;
    }
  }
  if (undone == 0) {
    if (z.ClickedAnywhere() && z.UseItem("wrench", "laboratory_q_pipe") == CloseUp::Use::Taken) {
      sounds.play("screw");
      z.SetFlag(kBolts[0].step, true);
    }
    return;
  }
  if (undone < static_cast<int>(kBolts.size())) {
    for (const Bolt& b : kBolts) {
      if (!z.Flag(b.step) && z.Clicked(b.x, b.y, kBoltSize, kBoltSize) && CloseUp::HandEmpty()) {
        sounds.play("screw");
        z.SetFlag(b.step, true);
        if (undone + 1 == static_cast<int>(kBolts.size())) sounds.play("metal");
        break;
      }
    }
    return;
  }
  z.Draw("z_lt", 186, 134);
  z.Draw("z_salt", 216, 164);
  if (z.Clicked(216, 164, 80, 80) && CloseUp::HandEmpty()) {
    z.Give("salt");
    CloseUp::Add("q_pipe2", "inactive", 505, 100);
    z.Finish();
  }
}

// --- The great hall ---------------------------------------------------------

// The armchair: a pair of scissors lies on its cushion.
void Chair(CloseUp& z) {
  if (z.Clicked(250, 168, 100, 100) && CloseUp::HandEmpty()) {
    z.Give("scissors");
    z.Finish();
  }
}

// --- The kitchen ------------------------------------------------------------

// The cupboard wired shut: the nippers cut the wire.
void Cupboard(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("nippers", "kitchen_q_cab") == CloseUp::Use::Taken) {
    sounds.play("unlock");
    z.Give("oiler");
    z.Give("egg");
    CloseUp::Add("q_cab2", "inactive", 120, 520);
    z.Finish();
  }
}

// The parrot's key is tied to its perch: the scissors cut the string.
void Parrot(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("scissors", "kitchen_q_parrot") == CloseUp::Use::Taken) {
    sounds.play("cut");
    z.Give("small_key");
    z.Finish();
  }
}

// --- The yard ---------------------------------------------------------------

// The kennel: a starved dog's eyes in the dark; a bone makes a friend of it,
// and it gives up the feather duster it was lying on.
void Kennel(CloseUp& z) {
  z.Draw("z_eyes", 206, 210);
  if (z.ClickedAnywhere() && z.UseItem("bone", "yard_q_dog") == CloseUp::Use::Taken) {
    sounds.play("nomnom");
    z.Give("feather_duster");
    CloseUp::Add("q_dog", "inactive", 830, 480);
    z.Finish();
  }
}

// The well: the oiled winch brings the bucket up; the duster sweeps the
// cobwebs off it, and what was in the bucket is mine.
void Well(CloseUp& z) {
  if (!z.Flag("up")) {
    if (z.ClickedAnywhere() && z.UseItem("oiler", "yard_q_well") == CloseUp::Use::Taken) {
      sounds.play("metal");
      sounds.play("blob");
      // Some oil is left: the oiler comes back for later use.
      z.Give("oiler2");
      z.SetFlag("up", true);
      ShowSceneMessage("yard_q_well2");
    }
    return;
  }
  z.Draw("z_well1", 186, 84);
  if (z.Clicked(186, 84, 140, 140) &&
      z.UseItem("feather_duster", "yard_q_well") == CloseUp::Use::Taken) {
    sounds.play("whoosh");
    z.Give("sponge");
    z.Give("left_face_half");
    CloseUp::Add("q_well1", "inactive", 510, 320);
    z.Finish();
  }
}

// The toolbox: a piece of a picture lies on the nippers; the piece first,
// then the nippers.
void Nippers(CloseUp& z) {
  if (!z.Flag("piece")) {
    z.Draw("z_q_piece", 150, 62);
    if (z.Clicked(150, 62, 110, 110) && CloseUp::HandEmpty()) {
      z.Give("first_piece_of_picture");
      z.SetFlag("piece", true);
    }
    return;
  }
  if (z.Clicked(150, 62, 110, 110) && CloseUp::HandEmpty()) {
    z.Give("nippers");
    z.Finish();
  }
}

// --- The hallway ------------------------------------------------------------

// The wall behind the panels. The dynamite is set, the matches light the
// fuse, and the blast opens the way to the forge. The fuse burns while the
// close-up is watched; closed and reopened, it burns again from the start.
constexpr int kFuseTicks = 120;   // the lit fuse, to the blast
constexpr int kBlastTicks = 100;  // the smoke clearing after it
constexpr float kFuseX = 282, kFuseY = 166;  // the fuse's end on "z_dynamite"

void Wall(CloseUp& z) {
  const bool dynamite = z.Flag("dynamite");
  int tm = z.Number("tm");
  if (z.JustOpened() && tm > 0) tm = 1;
  if (!dynamite) {
    if (z.ClickedAnywhere() && z.UseItem("dynamite", "hallway_q_wall") == CloseUp::Use::Taken) {
      sounds.play("set");
      z.SetFlag("dynamite", true);
    }
    return;
  }
  if (tm == 0) {
    z.Draw("z_dynamite", 196, 140);
    if (z.ClickedAnywhere() && z.UseItem("matches", "hallway_q_wall2") == CloseUp::Use::Taken) {
      sounds.play("match");
      z.SetNumber("tm", 1);
    }
    return;
  }
  if (tm < kFuseTicks) {
    z.Draw("z_dynamite", 196, 140);
    if (tm % 4 == 1) z.EmitEffect("p_point", kFuseX, kFuseY, 2);
  } else if (tm == kFuseTicks) {
    sounds.play("dyn");
    sounds.play("rock");
    z.EmitEffect("p_boom", 256, 200, 60);
    z.EmitFog(256, 200, 24);
  }
  if (tm < kFuseTicks + kBlastTicks) {
    z.SetNumber("tm", tm + 1);
    return;
  }
  CloseUp::Add("q_hole", "inactive", 512, 300);
  CloseUp::Add("q_shade", "inactive", 0, 0);
  CloseUp::Add("q_forge", "area", 512, 110);
  CloseTask("task_castle");
  // The hallway's own task is done the moment it is given: the way is open.
  OpenTask("task_hallway");
  CloseTask("task_hallway");
  OpenTask("task_other");
  EnsureInLevel("cabinet", "q_coin", "hobject", 898, 100);
  EnsureInLevel("kitchen", "q_cheese", "hobject", 386, 340);
  z.Finish();
}

// --- The terrace ------------------------------------------------------------

// The empty bird feeder: the seeds bring the birds, and their pecking turns
// up a stone button among the seeds.
void Birds(CloseUp& z) {
  if (!z.Flag("seed")) {
    if (z.ClickedAnywhere() && z.UseItem("seeds", "terrace_q_birds") == CloseUp::Use::Taken) {
      sounds.play("set");
      z.SetFlag("seed", true);
    }
    return;
  }
  z.Draw("z_seed", 156, 196);
  if (z.Clicked(156, 196, 200, 100) && CloseUp::HandEmpty()) {
    z.Give("stone_button");
    CloseUp::Add("q_birds2", "inactive", 400, 360);
    z.Finish();
  }
}

// --- The cabinet ------------------------------------------------------------

// The desk drawer: the small key opens it, and the matches lie inside.
void Matches(CloseUp& z) {
  if (!z.Flag("open")) {
    if (z.ClickedAnywhere() && z.UseItem("small_key", "cabinet_q_matches") == CloseUp::Use::Taken) {
      sounds.play("unlock");
      z.SetFlag("open", true);
    }
    return;
  }
  z.Draw("z_m2", 146, 150);
  if (z.Clicked(146, 150, 220, 160) && CloseUp::HandEmpty()) {
    z.Give("matches");
    CloseUp::Add("q_m2", "inactive", 640, 530);
    z.Finish();
  }
}

// The safe's colour lock. Three symbols, each with a row of three buttons
// that choose its colour. The diary's colour pages tell the right colours;
// until all of them are collected the buttons do not move. The choice is not
// kept: every opening starts with all three symbols in the first colour.
constexpr std::array<uint32_t, 3> kLockColours{0xD83A2E, 0x3A62D8, 0x3EA848};  // red, blue, green
constexpr std::array<const char*, 3> kSymbols{"z_s1", "z_s2", "z_s3"};
constexpr float kSymbolX = 100, kSymbolY = 104, kSymbolSize = 56, kRowStep = 66;
constexpr float kButtonX = 190, kButtonSize = 40, kButtonGap = 30;
constexpr float kButtonDy = (kSymbolSize - kButtonSize) / 2;

// The open lock's choice; reset by every opening.
struct SymbolLock {
  std::array<int, 3> colour{};
};
SymbolLock symbol_lock;

bool DiaryHasEntryContaining(std::string_view word) {
  for (const std::string& page : world.diary.pages) {
    if (page.find(word) != std::string::npos) return true;
  }
  return false;
}

bool LockColoursKnown() {
  return DiaryHasEntryContaining("csymbol") && DiaryHasEntryContaining("red") &&
         DiaryHasEntryContaining("blue") && DiaryHasEntryContaining("green");
}

void Symbols(CloseUp& z) {
  if (z.JustOpened()) symbol_lock = {};
  for (int row = 0; row < 3; ++row) {
    const float y = kSymbolY + row * kRowStep;
    z.Draw(kSymbols[row], kSymbolX, y, kLockColours[symbol_lock.colour[row]]);
    for (int c = 0; c < 3; ++c) {
      const float x = kButtonX + c * (kButtonSize + kButtonGap);
      z.Draw("z_b1", x, y + kButtonDy);
      z.Draw("z_b2", x, y + kButtonDy, kLockColours[c]);
    }
  }
  if (!LockColoursKnown()) {
    if (z.ClickedAnywhere() && CloseUp::HandEmpty()) ShowSceneMessage("cabinet_q_symbols");
    return;
  }
  for (int row = 0; row < 3; ++row) {
    for (int c = 0; c < 3; ++c) {
      const float x = kButtonX + c * (kButtonSize + kButtonGap);
      const float y = kSymbolY + row * kRowStep + kButtonDy;
      if (z.Clicked(x, y, kButtonSize, kButtonSize) && CloseUp::HandEmpty()) {
        sounds.play("set");
        symbol_lock.colour[row] = c;
      }
    }
  }
  if (symbol_lock.colour == std::array<int, 3>{0, 1, 2}) {
    sounds.play("unlock");
    z.Give("dynamite");
    z.Give("metal_bug");
    CloseUp::Add("q_sym2", "inactive", 900, 560);
    symbol_lock = {};
    z.Finish();
  }
}

// In the order of the quest table.
constexpr std::array<CloseUpHandler, 18> kCastle{{
    {"q_taste", Taste},
    {"q_vase", Vase},
    {"q_ball", Ball},
    {"q_gear", Gear},
    {"q_knife", Knife},
    {"q_cab", Cupboard},
    {"q_parrot", Parrot},
    {"q_kennel", Kennel},
    {"q_well", Well},
    {"q_spray", Spray},
    {"q_sspray", ShelfOfSprays},
    {"q_pipe", Pipe},
    {"q_nippers", Nippers},
    {"q_wall", Wall},
    {"q_birds", Birds},
    {"q_matches", Matches},
    {"q_chair", Chair},
    {"q_symbols", Symbols},
}};

}  // namespace

std::span<const CloseUpHandler> CastleCloseUps() { return kCastle; }
