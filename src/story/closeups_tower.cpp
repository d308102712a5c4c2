// The close-ups of the forge, the attic, the backyard, the stone circle, the hall, the terrace,
// the cabinet's amulet press and the hidden room: the last stretch of the story, where the four
// spheres and the crystal are gathered for the altar and the way down to the hidden room opens.
//
// Every picture is 512 x 384; the thing it shows sits in the middle. Offsets and regions below
// follow that art (content/pictures.txt and content/closeups/tower.txt) and must move with it.
// Objects added to a level use the places of content/added_objects.txt.
#include <array>
#include <string_view>

#include "res/sounds.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "world/inventory.h"

namespace {

// --- Shared shapes --------------------------------------------------------------------------

// A rectangle of a close-up, from its corner.
struct Box {
  float x, y, w, h;
};

bool Clicked(CloseUp& z, const Box& b) { return z.Clicked(b.x, b.y, b.w, b.h); }
void DrawAt(CloseUp& z, std::string_view image, const Box& b, uint8_t opacity = 255) {
  z.Draw(image, b.x, b.y, 0xFFFFFF, opacity);
}

// The rise of the amulet out of the press is not a step: it plays again on every opening, so
// it is kept here and not in the quest keys. The opening frame always resets it.
struct RiseAnimation {
  int frame = 0;
};
RiseAnimation amulet_rise;

// --- The forge ------------------------------------------------------------------------------

// The stone hand: a ring on its bare finger makes a sphere of power gather in its palm.
// h: 0 bare, 1 .. kHandFormed the sphere forms by itself, kHandFormed it rests in the palm.
constexpr int kHandFormed = 100;
constexpr Box kHandRing{225, 120, 48, 48};
constexpr Box kHandSphere{208, 176, 96, 96};

void Hand(CloseUp& z) {
  int h = z.Number("h");
  if (h > 0) DrawAt(z, "z_ring", kHandRing);
  if (h == 0) {
    if (z.ClickedAnywhere() && z.UseItem("ring", "forge_q_hand") == CloseUp::Use::Taken) {
      sounds.play("set");
      z.SetNumber("h", 1);
    }
    return;
  }
  if (h < kHandFormed) {
    DrawAt(z, "z_sphere", kHandSphere, static_cast<uint8_t>(h * 255 / kHandFormed));
    if (++h == kHandFormed) {
      sounds.play("magic");
      z.EmitStars(kHandSphere.x, kHandSphere.y, 30, kHandSphere.w, kHandSphere.h);
    }
    z.SetNumber("h", h);
    return;
  }
  DrawAt(z, "z_sphere", kHandSphere);
  if (Clicked(z, kHandSphere) && CloseUp::HandEmpty()) {
    z.Give("sphere_of_power");
    z.Finish();
  }
}

// The vice: rusted shut until it is oiled, then three turns of its handle open the jaws and
// let the vial it held fall free. v: 0 rusted, 1 oiled, 2 and 3 turned.
constexpr int kViceTurns = 3;
constexpr Box kViceHandle{300, 60, 140, 260};

void Vice(CloseUp& z) {
  const int v = z.Number("v");
  if (v == 0) {
    if (z.ClickedAnywhere() && z.UseItem("oiler2", "forge_q_vice") == CloseUp::Use::Taken) {
      sounds.play("blob");
      z.SetNumber("v", 1);
    }
    return;
  }
  if (Clicked(z, kViceHandle) && CloseUp::HandEmpty()) {
    sounds.play("pliers");
    if (v < kViceTurns) {
      z.SetNumber("v", v + 1);
    } else {
      z.Give("blood_vial");
      z.Finish();
    }
  }
}

// --- The attic ------------------------------------------------------------------------------

// The card table: the tarot card laid in the gap raises a sphere of magic out of the cards.
// h: 0 no card, 1 .. kCardsRisen the sphere rises, kCardsRisen it floats over the table. The
// rise plays again whenever the close-up is opened.
constexpr int kCardsRisen = 150;
constexpr Box kCardsCard{216, 180, 80, 100};
constexpr float kCardsSphereSize = 90;
constexpr float kCardsSphereFrom = 185;  // top of the sphere, leaving the card
constexpr float kCardsSphereTo = 60;     // and floating over the table

void Cards(CloseUp& z) {
  int h = z.Number("h");
  if (z.JustOpened() && h > 0) h = 1;
  if (h == 0) {
    if (z.ClickedAnywhere() && z.UseItem("tarot_card", "attic_q_card") == CloseUp::Use::Taken) {
      sounds.play("set");
      CloseUp::Add("q_s2", "inactive", 800, 560);
      z.SetNumber("h", 1);
    }
    return;
  }
  DrawAt(z, "z_card", kCardsCard);
  const float t = static_cast<float>(h) / kCardsRisen;
  const Box sphere{256 - kCardsSphereSize / 2, kCardsSphereFrom + (kCardsSphereTo - kCardsSphereFrom) * t,
                   kCardsSphereSize, kCardsSphereSize};
  DrawAt(z, "z_sphere", sphere);
  if (h < kCardsRisen) {
    if (h % 10 == 1) z.EmitStars(sphere.x, sphere.y + sphere.h / 2, 6, sphere.w, sphere.h / 2);
    if (++h == kCardsRisen) sounds.play("magic");
    z.SetNumber("h", h);
    return;
  }
  if (Clicked(z, sphere) && CloseUp::HandEmpty()) {
    z.Give("sphere_of_magic");
    CloseUp::Remove("q_s2");
    z.Finish();
  }
}

// The nailed-down floor: the nail puller lifts a board, and glue lies in the hollow below.
constexpr Box kFloorGlue{186, 148, 140, 110};

void Floor(CloseUp& z) {
  if (!z.Flag("open")) {
    if (z.ClickedAnywhere() && z.UseItem("nail_puller", "attic_q_wfloor") == CloseUp::Use::Taken) {
      sounds.play("set");
      CloseUp::Add("q_fl", "inactive", 660, 585);
      z.SetFlag("open", true);
    }
    return;
  }
  DrawAt(z, "z_glue", kFloorGlue);
  if (Clicked(z, kFloorGlue) && CloseUp::HandEmpty()) {
    z.Give("glue");
    z.Finish();
  }
}

// The net out of reach: the hook pulls it down.
void Net(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("hook", "attic_q_net") == CloseUp::Use::Taken) {
    sounds.play("trap");
    z.Give("scoop_net");
    z.Finish();
  }
}

// The gramophone wants its record and its arm, in either order; played, its hiss turns out to
// be a code, and the note of it goes into the diary.
constexpr Box kGramophoneRecord{180, 130, 120, 120};
constexpr Box kGramophoneArm{290, 140, 100, 100};
constexpr Box kGramophoneNote{24, 40, 110, 110};

void Gramophone(CloseUp& z) {
  const bool rec = z.Flag("rec");
  const bool arm = z.Flag("arm");
  if (rec) DrawAt(z, "z_record", kGramophoneRecord);
  if (arm) DrawAt(z, "z_arm", kGramophoneArm);
  if (rec && arm) {
    DrawAt(z, "z_morse", kGramophoneNote);
    if (z.ClickedAnywhere() && CloseUp::HandEmpty()) {
      z.Give("note_with_code");
      CollectDocument("q_gramophone");
      z.Finish();
    }
    return;
  }
  if (!z.ClickedAnywhere()) return;
  // One region takes either missing part, so the message shows once for an empty hand.
  CloseUp::Use use = CloseUp::Use::Other;
  if (!rec) {
    use = z.UseItem("gramophone_record", "attic_q_gramophone");
    if (use == CloseUp::Use::Taken) z.SetFlag("rec", true);
  }
  if (!arm && use == CloseUp::Use::Other) {
    use = z.UseItem("gramophone_arm", "attic_q_gramophone");
    if (use == CloseUp::Use::Taken) z.SetFlag("arm", true);
  }
  if (use == CloseUp::Use::Taken) sounds.play("set");
}

// --- The backyard ---------------------------------------------------------------------------

// The broken stair: the pick breaks the clay, and a nail puller lies in the hole.
constexpr Box kStairNailer{196, 180, 120, 100};

void Stair(CloseUp& z) {
  if (!z.Flag("open")) {
    if (z.ClickedAnywhere() && z.UseItem("mining_pick", "backyard_q_stair") == CloseUp::Use::Taken) {
      sounds.play("magnet");
      CloseUp::Add("q_st2", "inactive", 258, 460);
      z.SetFlag("open", true);
    }
    return;
  }
  DrawAt(z, "z_nailer", kStairNailer);
  if (Clicked(z, kStairNailer) && CloseUp::HandEmpty()) {
    z.Give("nail_puller");
    z.Finish();
  }
}

// The snapped iron ring: glued whole it can be pulled, and the niche behind it holds a ring.
constexpr Box kRingMended{196, 138, 120, 120};
constexpr Box kRingNiche{352, 230, 110, 100};

void Ring(CloseUp& z) {
  if (!z.Flag("open")) {
    if (z.ClickedAnywhere() && z.UseItem("glue", "backyard_q_ring") == CloseUp::Use::Taken) {
      sounds.play("tape");
      z.SetFlag("open", true);
    }
    return;
  }
  DrawAt(z, "z_ring2", kRingMended);
  DrawAt(z, "z_ring1", kRingNiche);
  if (Clicked(z, kRingNiche) && CloseUp::HandEmpty()) {
    z.Give("missing_ring");
    z.Finish();
  }
}

// The fortune post: a coin in the slot, and a tarot card drops out below.
constexpr Box kCardOut{206, 248, 100, 120};

void Card(CloseUp& z) {
  if (!z.Flag("open")) {
    if (z.ClickedAnywhere() && z.UseItem("coin", "backyard_q_card") == CloseUp::Use::Taken) {
      sounds.play("coin");
      z.SetFlag("open", true);
    }
    return;
  }
  DrawAt(z, "z_card", kCardOut);
  if (Clicked(z, kCardOut) && CloseUp::HandEmpty()) {
    z.Give("tarot_card");
    z.Finish();
  }
}

// The stone jaws: the adamant stone in the brow opens them, and the gramophone arm they held
// can be taken.
constexpr Box kJawsStone{228, 70, 56, 56};
constexpr Box kJawsUpper{166, 196, 180, 60};
constexpr Box kJawsLower{166, 316, 180, 60};
constexpr Box kJawsArm{196, 246, 120, 76};

void Jaws(CloseUp& z) {
  if (!z.Flag("stone")) {
    if (z.ClickedAnywhere() && z.UseItem("adamant_stone", "backyard_q_jaws") == CloseUp::Use::Taken) {
      sounds.play("jaws");
      z.SetFlag("stone", true);
    }
    return;
  }
  DrawAt(z, "z_stone", kJawsStone);
  DrawAt(z, "z_j1", kJawsUpper);
  DrawAt(z, "z_j2", kJawsLower);
  DrawAt(z, "z_top", kJawsArm);
  if (Clicked(z, kJawsArm) && CloseUp::HandEmpty()) {
    sounds.play("metal");
    z.Give("gramophone_arm");
    z.Finish();
  }
}

// --- The stone circle -----------------------------------------------------------------------

// The coals: too hot for a hand, not for the holder.
void Coal(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("coal_holder", "stonehenge_q_coal") == CloseUp::Use::Taken) {
    sounds.play("trap");
    z.Give("coal");
    z.Finish();
  }
}

// The rain barrel: the scoop net fishes out the sphere of light.
void Barrel(CloseUp& z) {
  if (z.ClickedAnywhere() && z.UseItem("scoop_net", "stonehenge_q_barrel") == CloseUp::Use::Taken) {
    sounds.play("blob");
    sounds.play("trap");
    z.Give("sphere_of_light");
    z.Finish();
  }
}

// The altar: four spheres and the crystal, in any order. The moment the last is in place the
// stones open the way down to the hidden room.
struct Socket {
  const char* item;
  const char* step;    // also the overlay, "z_" + step
  const char* marker;  // the light it casts in the level
  float marker_x, marker_y;
  Box place;
};
constexpr std::array<Socket, 5> kSockets{{
    {"sphere_of_magic", "blue", "q_blue", 440, 455, {138, 170, 56, 56}},
    {"sphere_of_light", "yellow", "q_yellow", 480, 455, {183, 170, 56, 56}},
    {"sphere_of_knowledge", "green", "q_green", 545, 455, {273, 170, 56, 56}},
    {"sphere_of_power", "red", "q_red", 585, 455, {318, 170, 56, 56}},
    {"energy_crystal", "crystal", "q_crystal", 512, 440, {228, 170, 56, 56}},
}};
constexpr Box kAltar{118, 120, 276, 156};
constexpr std::array<std::string_view, 5> kOverlays{"z_blue", "z_yellow", "z_green", "z_red", "z_crystal"};

void Altar(CloseUp& z) {
  int placed = 0;
  for (std::size_t i = 0; i < kSockets.size(); ++i) {
    if (!z.Flag(kSockets[i].step)) continue;
    DrawAt(z, kOverlays[i], kSockets[i].place);
    ++placed;
  }
  if (Clicked(z, kAltar)) {
    if (CloseUp::HandEmpty()) {
      const bool spheres = z.Flag("red") && z.Flag("green") && z.Flag("blue") && z.Flag("yellow");
      ShowSceneMessage(spheres ? "stonehenge_q_altar2" : "stonehenge_q_altar");
    } else {
      for (const Socket& s : kSockets) {
        if (z.Flag(s.step)) continue;
        if (z.UseItem(s.item, "stonehenge_q_altar") != CloseUp::Use::Taken) continue;
        z.SetFlag(s.step, true);
        CloseUp::Add(s.marker, "inactive", s.marker_x, s.marker_y);
        sounds.play("set");
        ++placed;
        break;
      }
    }
  }
  if (placed < static_cast<int>(kSockets.size())) return;
  sounds.play("magic");
  sounds.play("stone");
  z.EmitStars(kAltar.x + (kAltar.w - 260) / 2, kAltar.y + 40, 100, 260, 80);
  CloseUp::Add("q_stairs", "inactive", 512, 590);
  CloseUp::Add("q_hroom", "area", 512, 555);
  for (const Socket& s : kSockets) CloseUp::Remove(s.marker);
  CloseTask("task_other");
  OpenTask("task_hroom");
  EnsureInLevel("attic", "q_triangular_button", "hobject", 898, 460);
  ShowSceneMessage("stonehenge_q_path");
  z.Finish();
}

// --- The hall -------------------------------------------------------------------------------

// The snake statue: an egg in its jaws, and it lets go of the wax cylinder it guarded.
constexpr Box kSnakeCylinder{216, 270, 90, 90};

void Snake(CloseUp& z) {
  if (!z.Flag("egg")) {
    if (z.ClickedAnywhere() && z.UseItem("egg", "hall_q_snake") == CloseUp::Use::Taken) {
      sounds.play("snake");
      z.SetFlag("egg", true);
    }
    return;
  }
  DrawAt(z, "z_cyl", kSnakeCylinder);
  if (Clicked(z, kSnakeCylinder) && CloseUp::HandEmpty()) {
    sounds.play("trap");
    z.Give("wax_cylinder");
    z.Finish();
  }
}

// The bowl under the bat: blood poured in wakes the bat, which drinks and flies off, leaving
// the metal ball at the bottom of the bowl. blood: 0 empty, 1 .. kBatGone the bat comes down
// to drink, kBatGone it has flown.
constexpr int kBatGone = 120;
constexpr Box kBloodPool{196, 236, 120, 50};
constexpr Box kBatHanging{196, 24, 120, 120};
constexpr float kBatDrinking = 130;  // top of the bat at the bowl's rim
constexpr Box kBloodBall{232, 238, 48, 48};

void Blood(CloseUp& z) {
  int blood = z.Number("blood");
  if (blood == 0) {
    DrawAt(z, "z_bat", kBatHanging);
    if (z.ClickedAnywhere() && z.UseItem("blood_vial", "hall_q_blood") == CloseUp::Use::Taken) {
      sounds.play("pour");
      z.SetNumber("blood", 1);
    }
    return;
  }
  if (blood < kBatGone) {
    DrawAt(z, "z_blood", kBloodPool, static_cast<uint8_t>(255 - blood * 200 / kBatGone));
    const float t = static_cast<float>(blood) / kBatGone;
    DrawAt(z, "z_bat", {kBatHanging.x, kBatHanging.y + (kBatDrinking - kBatHanging.y) * t, kBatHanging.w,
                        kBatHanging.h});
    if (++blood == kBatGone) {
      sounds.play("metal");
      CloseUp::Remove("q_bat");
      CloseUp::Add("q_bat2", "inactive", 660, 330);
    }
    z.SetNumber("blood", blood);
    return;
  }
  DrawAt(z, "z_ball", kBloodBall);
  if (Clicked(z, kBloodBall) && CloseUp::HandEmpty()) {
    z.Give("metal_ball");
    z.Finish();
  }
}

// --- The terrace ----------------------------------------------------------------------------

// The music box: with its cylinder in place it plays its tune through, then the lid springs
// and the statuette inside can be taken. cyl: 0 no cylinder, 1 .. kBoxOpen playing, kBoxOpen
// the lid up.
constexpr int kBoxOpen = 300;
constexpr Box kBoxCylinder{196, 196, 120, 60};
constexpr Box kBoxStatuette{186, 60, 140, 140};

void MusicBox(CloseUp& z) {
  int cyl = z.Number("cyl");
  if (cyl == 0) {
    if (z.ClickedAnywhere() && z.UseItem("wax_cylinder", "terrace_q_mbox") == CloseUp::Use::Taken) {
      sounds.play("melody");
      z.SetNumber("cyl", 1);
    }
    return;
  }
  // The cylinder turns while the tune plays: a little to and fro.
  const float turn = cyl < kBoxOpen ? static_cast<float>((cyl / 8) % 2) * 2 : 0;
  DrawAt(z, "z_cyl", {kBoxCylinder.x, kBoxCylinder.y + turn, kBoxCylinder.w, kBoxCylinder.h});
  if (cyl < kBoxOpen) {
    z.SetNumber("cyl", cyl + 1);
    return;
  }
  DrawAt(z, "z_mopen", kBoxStatuette);
  if (Clicked(z, kBoxStatuette) && CloseUp::HandEmpty()) {
    z.Give("missing_statuette");
    z.Finish();
  }
}

// --- The cabinet ----------------------------------------------------------------------------

// The amulet press: a punched card in its slot, the triangular button in its socket, then a
// pull of the lever presses the amulet, which rises out of the press each time it is opened.
constexpr Box kPressSlot{100, 220, 120, 120};
constexpr Box kPressSocket{292, 220, 120, 120};
constexpr Box kPressLever{186, 50, 140, 150};
constexpr Box kPressCard{125, 232, 70, 90};
constexpr Box kPressButton{318, 242, 68, 68};
constexpr int kAmuletRisen = 80;
constexpr float kAmuletSize = 90;
constexpr float kAmuletFrom = 200, kAmuletTo = 120;

void AmuletPress(CloseUp& z) {
  if (z.JustOpened()) amulet_rise.frame = 0;
  const bool card = z.Flag("card");
  const bool btn = z.Flag("btn");
  const bool done = z.Flag("done");
  if (card) DrawAt(z, "z_card", kPressCard);
  if (btn) DrawAt(z, "z_btn", kPressButton);
  if (done) {
    const float t = static_cast<float>(amulet_rise.frame) / kAmuletRisen;
    const Box amulet{256 - kAmuletSize / 2, kAmuletFrom + (kAmuletTo - kAmuletFrom) * t, kAmuletSize, kAmuletSize};
    DrawAt(z, "z_amu", amulet);
    if (amulet_rise.frame < kAmuletRisen) {
      ++amulet_rise.frame;
      return;
    }
    if (Clicked(z, amulet) && CloseUp::HandEmpty()) {
      z.Give("triangular_amulet");
      z.Finish();
    }
    return;
  }
  if (!card && Clicked(z, kPressSlot) && z.UseItem("punched_card", "cabinet_q_card") == CloseUp::Use::Taken) {
    sounds.play("set");
    z.SetFlag("card", true);
  }
  if (!btn && Clicked(z, kPressSocket) &&
      z.UseItem("triangular_button", "cabinet_q_btn") == CloseUp::Use::Taken) {
    sounds.play("set");
    z.SetFlag("btn", true);
  }
  if (card && btn && Clicked(z, kPressLever) && CloseUp::HandEmpty()) {
    sounds.play("switch");
    sounds.play("magic");
    z.EmitStars(kPressLever.x, kAmuletFrom, 40, kPressLever.w, kAmuletSize);
    amulet_rise.frame = 0;
    z.SetFlag("done", true);
  }
}

// --- The hidden room ------------------------------------------------------------------------

// The mechanical eye: the artificial eye in its socket sets the works turning, and they give up
// the big screw. Another eye may be found at the stone circle afterwards.
constexpr Box kEyeSocket{196, 138, 120, 120};

void MechanicalEye(CloseUp& z) {
  if (!z.Flag("eye")) {
    if (z.ClickedAnywhere() && z.UseItem("artifical_eye", "hroom_q_meye") == CloseUp::Use::Taken) {
      sounds.play("trap");
      z.SetFlag("eye", true);
    }
    return;
  }
  DrawAt(z, "z_eye", kEyeSocket);
  if (Clicked(z, kEyeSocket) && CloseUp::HandEmpty()) {
    z.Give("big_screw");
    EnsureInLevel("stonehenge", "q_artifical_eye", "hobject", 120, 560);
    z.Finish();
  }
}

constexpr CloseUpHandler kTower[] = {
    {"q_hand", Hand},     {"q_cards", Cards},   {"q_wfloor", Floor},       {"q_net", Net},
    {"q_stair", Stair},   {"q_ring", Ring},     {"q_card", Card},          {"q_coal", Coal},
    {"q_barrel", Barrel}, {"q_altar", Altar},   {"q_snake", Snake},        {"q_blood", Blood},
    {"q_mbox", MusicBox}, {"q_amake", AmuletPress}, {"q_vice", Vice},      {"q_gramophone", Gramophone},
    {"q_jaws", Jaws},     {"q_meye", MechanicalEye},
};

}  // namespace

std::span<const CloseUpHandler> TowerCloseUps() { return kTower; }
