// The close-ups of the bridge, the crossroad, the gates, the cemetery, the lodge, the crypt, the
// passage, the basement and the library.
//
// Each close-up's picture shows the thing large in the middle (about 300 pixels across, centred
// at 256, 198 of the 512 x 384 picture); the regions below cover the parts of it the player uses,
// and the overlays sit where their steps change the picture. The places of the objects these
// close-ups add to levels are the ones content/added_objects.txt gives.
#include <array>
#include <string_view>

#include "res/sounds.h"
#include "story/closeup.h"
#include "story/quest.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

// A rectangle of the close-up picture, from its top-left corner.
struct Box {
  float x, y, w, h;
};

// The thing in the middle of every close-up picture.
constexpr Box kThing{106, 48, 300, 300};

bool Clicked(CloseUp& z, const Box& b) { return z.Clicked(b.x, b.y, b.w, b.h); }
void Draw(CloseUp& z, std::string_view image, const Box& b, uint8_t opacity = 255) {
  z.Draw(image, b.x, b.y, 0xFFFFFF, opacity);
}

// Whether the entry held at the mouse is this item (and is left where it is).
bool Holding(std::string_view item) {
  const int held = HeldItemIndex();
  return held >= 0 && world.inventory[static_cast<std::size_t>(held)].name == item;
}

// The animations that start over whenever their close-up opens. They are not
// progress, so they are kept here rather than in quest keys; every opening
// resets the one of the close-up being opened.
struct Animations {
  bool archive_drawer = false;  // the archive's drawer pulled out this opening
  int mouse = 0;                // ticks of the mouse hole's peeking or fetching
};
Animations anim;

// ---------------------------------------------------------------- bridge

// The cat in the cage: a hungry cat will not let anyone near, a locked cage
// will not let the fed cat out. Fish and key work in either order; once the
// cat has gone the bottle it guarded can be taken.
constexpr Box kCage{148, 75, 216, 261};
constexpr Box kCageCat{150, 150, 140, 140};
constexpr Box kCageBottle{304, 216, 56, 56};
constexpr Box kCageEyes{211, 175, 90, 50};
constexpr Box kCageRunning{12, 250, 120, 110};

void Cage(CloseUp& z) {
  const bool eat = z.Flag("eat");
  const bool open = z.Flag("open");
  if (!eat && !open) Draw(z, "z_angry", kCageCat);
  if (eat && !open) Draw(z, "z_good", kCageCat);
  if (!eat && open) Draw(z, "z_eyes", kCageEyes);
  if (eat && open) {
    Draw(z, "z_cat", kCageRunning);
    if (Clicked(z, kCageBottle) && CloseUp::HandEmpty()) {
      z.Give("potion_of_life");
      CloseUp::Add("q_cage2", "inactive", 640, 575);
      z.Finish();
    }
    return;
  }
  if (!Clicked(z, kCage)) return;
  if (!eat && CloseUp::HandEmpty()) sounds.play("hiss");
  CloseUp::Use use = CloseUp::Use::Other;
  if (!eat) use = z.UseItem("fish", "bridge_q_cage");
  if (use == CloseUp::Use::Taken) {
    sounds.play("cat");
    z.SetFlag("eat", true);
  } else if (use == CloseUp::Use::Other && !open &&
             z.UseItem("cage_key", "bridge_q_cage3") == CloseUp::Use::Taken) {
    sounds.play("unlock");
    z.SetFlag("open", true);
  } else {
    return;
  }
  if (z.Flag("eat") && z.Flag("open")) ShowSceneMessage("bridge_q_cage2");
}

// ---------------------------------------------------------------- crossroad

// The chest with the round socket: only the charged cube opens it. The cube
// before it has seen the moon is handed back with a word on why.
void Chest(CloseUp& z) {
  if (!Clicked(z, kThing)) return;
  if (Holding("moon_cube")) {
    ReleaseHeldItem();
    ShowSceneMessage("crossroad_q_cube");
    return;
  }
  if (z.UseItem("charged_cube", "crossroad_q_chest") == CloseUp::Use::Taken) {
    sounds.play("unlock");
    CloseUp::Add("q_obox", "inactive", 370, 420);
    CloseUp::Add("q_rope_ladder", "hobject", 220, 560);
    z.Finish();
  }
}

// The little box in the dug-up heap: two half moons close its lid's hollows,
// the lid springs and the moon cube inside is caught on camera as it glows.
constexpr Box kBoxLeft{150, 80, 100, 100};
constexpr Box kBoxRight{262, 80, 100, 100};
constexpr Box kBoxCube{196, 150, 120, 120};

void MoonBox(CloseUp& z) {
  const bool left = z.Flag("left");
  const bool right = z.Flag("right");
  if (left) Draw(z, "z_l", kBoxLeft);
  if (right) Draw(z, "z_r", kBoxRight);
  if (left && right) {
    Draw(z, "z_box2", kBoxCube);
    if (Clicked(z, kBoxCube) && CloseUp::HandEmpty()) {
      z.Give("moon_cube");
      sounds.play("camera");
      CloseUp::Add("cube", "ghost_catch", 780, 580);
      z.Finish();
    }
    return;
  }
  if (!Clicked(z, kThing)) return;
  // Either half goes into its own hollow, wherever on the lid it is offered.
  CloseUp::Use use = left ? CloseUp::Use::Other : z.UseItem("left_half_moon", "crossroad_q_box");
  if (use == CloseUp::Use::Taken) {
    z.SetFlag("left", true);
  } else if (use == CloseUp::Use::Other && !right &&
             z.UseItem("right_half_moon", "crossroad_q_box") == CloseUp::Use::Taken) {
    z.SetFlag("right", true);
  } else {
    return;
  }
  sounds.play("set");
  if (z.Flag("left") && z.Flag("right")) sounds.play("unlock");
}

// ---------------------------------------------------------------- gates

// The thorny creepers on the gate. The pruners cut them back in a short
// scene of falling leaves (begun again if the close-up was left half-way);
// the red book that lay under them can then be picked up.
constexpr int kPlantCut = 80;  // ticks the cutting takes
constexpr Box kPlantVines{106, 48, 300, 300};
constexpr Box kPlantBook{226, 258, 90, 80};

void Plant(CloseUp& z) {
  const int was = z.Number("it");
  int it = was;
  if (z.JustOpened() && it > 0 && it < kPlantCut) it = 1;
  if (it < kPlantCut) {
    const int fade = 255 - 255 * it / kPlantCut;
    Draw(z, "z_vines", kPlantVines, static_cast<uint8_t>(fade));
  }
  if (it == 0) {
    if (Clicked(z, kPlantVines) &&
        z.UseItem("garden_pruners", "gates_q_plant") == CloseUp::Use::Taken) {
      sounds.play("cut");
      it = 1;
    }
  } else if (it < kPlantCut) {
    if (it % 20 == 1) {
      z.EmitLeaves(256, 150, 12);
      if (it > 1) sounds.play("cut");
    }
    ++it;
  } else if (Clicked(z, kPlantBook) && CloseUp::HandEmpty()) {
    z.Give("red_book");
    EnsureInLevel("library", "q_gear", "hobject", 300, 440);
    z.Finish();
  }
  if (it != was && !z.Finished()) z.SetNumber("it", it);
}

// ---------------------------------------------------------------- cemetery

// The ivy-choked tomb: gloves let the ivy be torn away, which bares the
// arrow buttons set into the stone. The tomb stays a place to look at.
constexpr Box kTombIvy{126, 68, 260, 260};
constexpr Box kTombButtons{176, 160, 160, 80};

void Tomb(CloseUp& z) {
  const bool open = z.Flag("open");
  const bool arr = z.Flag("arr");
  if (!open) {
    Draw(z, "z_plant", kTombIvy);
    if (Clicked(z, kThing) && z.UseItem("glove", "cemetery_q_tomb") == CloseUp::Use::Taken) {
      sounds.play("cut");
      CloseUp::Remove("q_plant");
      ShowSceneMessage("cemetery_q_tomb1");
      z.SetFlag("open", true);
    }
  } else if (!arr) {
    Draw(z, "z_buttons", kTombButtons);
    if (Clicked(z, kTombButtons) && CloseUp::HandEmpty()) {
      z.Give("arrow_buttons");
      z.SetFlag("arr", true);
    }
  }
}

// The stone with the ankh-shaped hollow: the ankh opens it and the right half
// of the moon lies inside.
void Stash(CloseUp& z) {
  if (Clicked(z, kThing) && z.UseItem("ankh", "cemetery_q_stash") == CloseUp::Use::Taken) {
    sounds.play("unlock");
    z.Give("right_half_moon");
    CloseUp::Add("q_stash2", "inactive", 770, 460);
    z.Finish();
  }
}

// ---------------------------------------------------------------- lodge

// The keeper's archive. Its drawer is shut again every time it is looked at;
// the list of the dead on top of the records shows Death itself, which the
// camera catches for the diary once. The archive stays.
constexpr Box kArchiveCabinet{130, 48, 250, 300};
constexpr Box kArchiveDrawer{150, 110, 210, 150};
constexpr Box kArchiveList{370, 150, 120, 150};

void Archive(CloseUp& z) {
  if (z.JustOpened()) anim.archive_drawer = false;
  if (!anim.archive_drawer) {
    if (Clicked(z, kArchiveCabinet) && CloseUp::HandEmpty()) {
      sounds.play("unlock");
      ShowSceneMessage("lodge_q_archive");
      anim.archive_drawer = true;
    }
    return;
  }
  Draw(z, "z_open", kArchiveDrawer);
  Draw(z, "z_list", kArchiveList);
  if (Clicked(z, kArchiveList) && CloseUp::HandEmpty()) {
    sounds.play("ui_window");
    ShowSceneMessage("lodge_q_list");
    if (DiaryIndexOf("death") < 0) {
      sounds.play("camera");
      CloseUp::Add("death", "ghost_catch", 900, 540);
    }
  }
}

// The letter from the keeper's case: reading it shows Hector, and the lens
// that lay on it goes into the bag. It names the hotel's silver.
void Letter(CloseUp& z) {
  if (Clicked(z, kThing) && CloseUp::HandEmpty()) {
    ShowSceneMessage("lodge_q_letter");
    z.Give("lens");
    sounds.play("camera");
    CloseUp::Add("hector", "ghost_catch", 770, 450);
    EnsureInLevel("hotel", "q_silver_spoon", "hobject", 620, 470);
    z.Finish();
  }
}

// ---------------------------------------------------------------- crypt

// The urn behind the funeral pots: a lighter on its rim, a chandelier's
// crystals inside.
constexpr Box kUrnLighter{292, 70, 80, 80};

void Urn(CloseUp& z) {
  if (!z.Flag("lighter")) {
    Draw(z, "z_lt", kUrnLighter);
    if (Clicked(z, kUrnLighter) && CloseUp::HandEmpty()) {
      z.Give("lighter");
      z.SetFlag("lighter", true);
    }
  } else if (Clicked(z, kThing) && CloseUp::HandEmpty()) {
    z.Give("chand3");
    z.Finish();
  }
}

// The stone woman whose open hand waits for her ring. With it back she is at
// peace: her shade rises, the wall behind opens and the lodge's window lights.
void Woman(CloseUp& z) {
  if (Clicked(z, kThing) && z.UseItem("wedding_ring", "crypt_q_ring") == CloseUp::Use::Taken) {
    sounds.play("set");
    sounds.play("magic");
    z.EmitStars(256, 150, 60, 200, 120);
    CloseUp::Add("q_shade", "inactive", 0, 0);
    CloseUp::Add("q_passage", "area", 512, 330);
    CloseUp::Add("q_light_bulb", "hobject", 258, 460);
    CloseUp::Remove("q_dress1");
    EnsureInLevel("lodge", "q_red", "inactive", 310, 255);
    z.Finish();
  }
}

// ---------------------------------------------------------------- passage

// The mouse hole. A mouse keeps peeking out; given cheese it comes out to eat
// and drags out the ring from its nest. The scene plays from its start on
// every opening until the ring is out.
constexpr int kMousePeek = 120;  // ticks of one peek, half out, half in
constexpr int kMouseFetch = 100;  // ticks until the ring is out
constexpr Box kMouseHole{120, 160, 272, 150};
constexpr Box kMouseHead{206, 150, 100, 90};
constexpr Box kMouseEating{300, 220, 150, 110};
constexpr Box kMouseRing{210, 250, 72, 72};

void MouseHole(CloseUp& z) {
  const bool cheese = z.Flag("cheese");
  const bool ring = z.Flag("ring");
  if (z.JustOpened()) anim.mouse = 0;
  if (!cheese) {
    anim.mouse = (anim.mouse + 1) % kMousePeek;
    if (anim.mouse < kMousePeek / 2) Draw(z, "z_head", kMouseHead);
    if (Clicked(z, kMouseHole) && z.UseItem("cheese", "passage_q_mhole") == CloseUp::Use::Taken) {
      sounds.play("set");
      z.SetFlag("cheese", true);
      anim.mouse = 0;
    }
    return;
  }
  if (!ring) {
    ++anim.mouse;
    if (anim.mouse < kMouseFetch / 2) {
      Draw(z, "z_head", kMouseHead);
    } else {
      if (anim.mouse == kMouseFetch / 2) sounds.play("whoosh");
      Draw(z, "z_pika", kMouseEating);
    }
    if (anim.mouse >= kMouseFetch) z.SetFlag("ring", true);
    return;
  }
  Draw(z, "z_pika", kMouseEating);
  Draw(z, "z_ring", kMouseRing);
  if (Clicked(z, kMouseRing) && CloseUp::HandEmpty()) {
    z.Give("ring");
    CloseUp::Add("q_pika", "inactive", 300, 470);
    z.Finish();
  }
}

// The teddy bear sewn shut: the pencil's point picks the seam, and the heart
// amulet sewn inside can be taken.
constexpr Box kBearSeam{196, 150, 120, 110};

void TeddyBear(CloseUp& z) {
  if (!z.Flag("open")) {
    if (Clicked(z, kThing) && z.UseItem("pencil", "passage_q_tbear") == CloseUp::Use::Taken) {
      sounds.play("zipper");
      z.SetFlag("open", true);
    }
  } else {
    Draw(z, "z_bear2", kBearSeam);
    if (Clicked(z, kBearSeam) && CloseUp::HandEmpty()) {
      z.Give("heart_amulet");
      z.Finish();
    }
  }
}

// The block of amber with a statuette in it: the chisel bites once, two more
// blows crack it wider, and the third breaks the statuette free.
constexpr int kAmberBroken = 3;
constexpr Box kAmberCracks{146, 78, 220, 240};
constexpr Box kAmberStatuette{186, 108, 140, 180};

void Amber(CloseUp& z) {
  const int was = z.Number("tr");
  int tr = was;
  if (tr >= 1 && tr < kAmberBroken) Draw(z, "z_crack1", kAmberCracks);
  if (tr == 2) Draw(z, "z_crack2", kAmberCracks);
  if (tr >= kAmberBroken) {
    Draw(z, "z_free", kAmberStatuette);
    if (Clicked(z, kAmberStatuette) && CloseUp::HandEmpty()) {
      z.Give("statuette");
      z.Finish();
    }
  } else if (Clicked(z, kThing)) {
    if (tr == 0 ? z.UseItem("chisel", "passage_q_amber") == CloseUp::Use::Taken
                : CloseUp::HandEmpty()) {
      sounds.play("amber");
      ++tr;
    }
  }
  if (tr != was && !z.Finished()) z.SetNumber("tr", tr);
}

// ---------------------------------------------------------------- basement

// The niche shaped like a small figure: the statuette fits it, a catch
// clicks, and a ladder slides down where the broken one stood.
void Trigger(CloseUp& z) {
  if (Clicked(z, kThing) &&
      z.UseItem("statuette", "basement_q_trigger") == CloseUp::Use::Taken) {
    sounds.play("stone");
    sounds.play("set");
    ShowSceneMessage("basement_q_ladder");
    CloseUp::Add("q_trigger2", "inactive", 300, 300);
    CloseUp::Add("q_lad", "inactive", 910, 500);
    CloseUp::Add("q_library", "area", 640, 330);
    CloseUp::Remove("q_lad1");
    z.Finish();
  }
}

// The lift shaft. The box hangs out of reach until the laboratory's machine
// is mended (which sets the "box" step from there); down, it is nailed shut
// until the saw opens it, and the solvent inside can be taken.
constexpr Box kLiftBox{156, 170, 200, 180};

void Elevator(CloseUp& z) {
  const bool box = z.Flag("box");
  const bool open = z.Flag("open");
  if (!box) {
    if (Clicked(z, kThing) && CloseUp::HandEmpty()) ShowSceneMessage("basement_q_elevator");
  } else if (!open) {
    Draw(z, "z_box", kLiftBox);
    if (Clicked(z, kLiftBox) && z.UseItem("saw", "basement_q_elevator2") == CloseUp::Use::Taken) {
      sounds.play("saw");
      z.SetFlag("open", true);
    }
  } else {
    Draw(z, "z_open", kLiftBox);
    if (Clicked(z, kLiftBox) && CloseUp::HandEmpty()) {
      z.Give("solvent");
      z.Finish();
    }
  }
}

// ---------------------------------------------------------------- library

// A pencil left on a reading desk.
void Pencil(CloseUp& z) {
  if (Clicked(z, kThing) && CloseUp::HandEmpty()) {
    z.Give("pencil");
    z.Finish();
  }
}

// The bronze scholar's iron fist: the magnet draws out the key it clutches.
void Statue(CloseUp& z) {
  if (Clicked(z, kThing) && z.UseItem("magnet", "library_q_statue") == CloseUp::Use::Taken) {
    sounds.play("metal");
    z.Give("old_key");
    z.Finish();
  }
}

// The shelf with one red book missing: pushed into its gap the book works as
// a lever, and a hidden compartment opens with the star amulet.
constexpr Box kShelfCompartment{196, 130, 120, 120};

void Shelf(CloseUp& z) {
  if (!z.Flag("open")) {
    if (Clicked(z, kThing) && z.UseItem("red_book", "library_q_shelf") == CloseUp::Use::Taken) {
      sounds.play("switch");
      sounds.play("unlock");
      z.SetFlag("open", true);
    }
  } else {
    Draw(z, "z_open", kShelfCompartment);
    if (Clicked(z, kShelfCompartment) && CloseUp::HandEmpty()) {
      z.Give("star_amulet");
      z.Finish();
    }
  }
}

constexpr std::array<CloseUpHandler, 18> kHandlers{{
    {"q_cage", Cage},
    {"q_chest", Chest},
    {"q_plant", Plant},
    {"q_tomb", Tomb},
    {"q_archive", Archive},
    {"q_urn", Urn},
    {"q_box", MoonBox},
    {"q_woman", Woman},
    {"q_letter", Letter},
    {"q_stash", Stash},
    {"q_mhole", MouseHole},
    {"q_tbear", TeddyBear},
    {"q_trigger", Trigger},
    {"q_elevator", Elevator},
    {"q_pencil", Pencil},
    {"q_statue", Statue},
    {"q_shelf", Shelf},
    {"q_amber", Amber},
}};

}  // namespace

std::span<const CloseUpHandler> VillageCloseUps() { return kHandlers; }
