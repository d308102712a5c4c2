// The inventory strip and the scene message in the real game, headless:
// scrolling, picking up and letting go, flights back to the slot, the wrong
// use of a held item, and how long a message stays up.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/screens.h"
#include "engine/engine.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "support/closeup_walk.h"
#include "support/loaded_game.h"
#include "ui/gui.h"
#include "world/inventory.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

class Inventory : public LoadedGame {};

// A level with nothing in it, shown and past its opening tick.
void EnterEmptyLevel() {
  ShowWindow("wnd_splash", false);
  ShowWindow("wnd_game", true);
  if (ielement* game = gui_get("wnd_game")) game->on_update = GameWindowProcedure;
  world.levelName = "test";
  EngineSetCursorLogical(500, 300);
  GameSteps(1);
}

// Entries resting in their slots, named after a permanent picture.
void FillInventory(int count) {
  world.inventory.clear();
  for (int i = 0; i < count; ++i) {
    SceneObject* entry = world.inventory.reuse_next();
    if (entry == nullptr) return;
    entry->name = "ginv";
    entry->kind = "normal";
    entry->particles.count = 0;
  }
}

float SlotCentreX(int visible_slot) { return 302.0f + 60.0f * static_cast<float>(visible_slot); }

const std::string& State(int i) { return world.inventory[static_cast<std::size_t>(i)].kind; }

}  // namespace

TEST(InventoryEntries, TakingAnEntryKeepsTheScrollInRange) {
  ResetWorld();
  FillInventory(9);
  world.inventoryScroll = 1;
  TakeHeldItem(4);
  EXPECT_EQ(world.inventory.size(), 8u);
  EXPECT_EQ(world.inventoryScroll, 0);

  FillInventory(12);
  world.inventoryScroll = 4;
  TakeHeldItem(0);
  EXPECT_EQ(world.inventory.size(), 11u);
  EXPECT_EQ(world.inventoryScroll, 3);
  world.inventoryScroll = 1;
  TakeHeldItem(0);
  EXPECT_EQ(world.inventoryScroll, 1) << "a scroll still in range is kept";

  TakeHeldItem(-1);
  TakeHeldItem(50);
  EXPECT_EQ(world.inventory.size(), 10u);
}

TEST(InventoryEntries, OnlyTheSelectedEntryIsHeldAndReleasingPutsItAtTheMouse) {
  ResetWorld();
  FillInventory(3);
  EXPECT_EQ(HeldItemIndex(), -1);
  ReleaseHeldItem();
  EXPECT_EQ(State(0), "normal");
  world.inventory[2].kind = "select";
  EXPECT_EQ(HeldItemIndex(), 2);
  ReleaseHeldItem();
  EXPECT_EQ(State(2), "release");
  EXPECT_EQ(HeldItemIndex(), -1);
}

TEST_F(Inventory, ArrowsScrollOneStepAndStopAtEitherEnd) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(9);
    ClickAt(775, 733, kMouseLeft);
    EXPECT_EQ(world.inventoryScroll, 1);
    ClickAt(775, 733, kMouseLeft);
    EXPECT_EQ(world.inventoryScroll, 1) << "nine entries scroll at most one place";
    ClickAt(249, 733, kMouseLeft);
    EXPECT_EQ(world.inventoryScroll, 0);
    ClickAt(249, 733, kMouseLeft);
    EXPECT_EQ(world.inventoryScroll, 0);

    FillInventory(8);
    ClickAt(775, 733, kMouseLeft);
    EXPECT_EQ(world.inventoryScroll, 0) << "eight entries fit the strip";
  });
}

TEST_F(Inventory, PickingUpWithTenEntriesScrollsToTheEndAndTheItemLandsInItsSlot) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(10);
    AddSceneObject("q_ginv", "item", 500, 300);
    AddSceneObject("gbutton_cir", "item", 500, 300);
    ASSERT_GT(TextureWidth(images.get("gbutton_cir")), 0);
    ClickAt(500, 300, kMouseLeft);
    ASSERT_EQ(world.inventory.size(), 11u);
    EXPECT_EQ(world.inventory[10].name, "utton_cir");
    EXPECT_EQ(FindSceneObject("gbutton_cir"), -1);
    EXPECT_EQ(world.inventoryScroll, 3) << "entries 3..10 are shown";
    EXPECT_EQ(State(10), "new");
    EngineSetCursorLogical(500, 100);
    GameSteps(120);
    EXPECT_EQ(State(10), "normal");
    EXPECT_FLOAT_EQ(world.inventory[10].x, SlotCentreX(7));
    EXPECT_FLOAT_EQ(world.inventory[10].y, 733.0f);
  });
}

TEST_F(Inventory, RightClickLetsAHeldEntryFlyBackAndDoesNothingOtherwise) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(2);
    ClickAt(500, 300, kMouseRight);
    EXPECT_EQ(State(0), "normal");
    EXPECT_EQ(State(1), "normal");
    EXPECT_FALSE(world.popup.active);

    ClickAt(SlotCentreX(1), 733, kMouseLeft);
    ASSERT_EQ(HeldItemIndex(), 1);
    ClickAt(500, 300, kMouseRight);
    EXPECT_EQ(State(1), "release");
    EXPECT_FALSE(world.popup.active) << "letting go is not a wrong use";
    GameSteps(150);
    EXPECT_EQ(State(1), "normal");
    EXPECT_FLOAT_EQ(world.inventory[1].x, SlotCentreX(1));
  });
}

TEST_F(Inventory, AHeldEntryClickedOnNothingIsAWrongUseAndAClickInTheStripPutsItBack) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(3);
    ClickAt(SlotCentreX(0), 733, kMouseLeft);
    ASSERT_EQ(HeldItemIndex(), 0);
    ClickAt(500, 300, kMouseLeft);
    EXPECT_EQ(State(0), "release");
    EXPECT_TRUE(world.popup.active);
    const std::string& key = world.popup.key;
    ASSERT_EQ(key.size(), 6u);
    EXPECT_EQ(key.substr(0, 5), "wrong");
    EXPECT_GE(key[5], '1');
    EXPECT_LE(key[5], '5');

    GameSteps(150);
    ClickAt(SlotCentreX(2), 733, kMouseLeft);
    ASSERT_EQ(HeldItemIndex(), 2);
    ClickAt(SlotCentreX(0), 733, kMouseLeft);
    EXPECT_EQ(State(2), "normal");
    EXPECT_EQ(State(0), "normal") << "the click put the held entry back, it picked nothing up";
  });
}

TEST_F(Inventory, AClickTheSceneActsOnIsNoWrongUse) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(1);
    LoadLevelPictures("hotel");
    AddSceneObject("q_lamp", "zoomin", 500, 300);
    ClickAt(SlotCentreX(0), 733, kMouseLeft);
    ASSERT_EQ(HeldItemIndex(), 0);
    ClickAt(500, 300, kMouseLeft);
    EXPECT_TRUE(WindowVisible("wnd_zoomin"));
    EXPECT_FALSE(world.popup.active);
    EXPECT_EQ(HeldItemIndex(), 0) << "the close-up's quest decides about the item";
  });
}

TEST_F(Inventory, ALabelAppearsAfterFiftyTicksOverASlotAndAWindowPutsAHeldEntryBack) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    FillInventory(2);
    auto label_drawn = [] {
      for (std::size_t i = 0; i < DrawList.count(); ++i) {
        const tfunction& c = DrawList[i];
        if (c.kind == DRAW_TEXT && c.x == SlotCentreX(1) && c.y == 703.0f) return true;
      }
      return false;
    };
    EngineSetCursorLogical(SlotCentreX(1), 733);
    GameSteps(49);
    EXPECT_FALSE(label_drawn());
    EXPECT_EQ(world.cursor_drawn, Cursor::Hand);
    GameSteps(1);
    EXPECT_TRUE(label_drawn());
    GameSteps(10);
    EXPECT_TRUE(label_drawn());
    EXPECT_FLOAT_EQ(world.inventory[1].timer, 50.0f);

    ClickAt(SlotCentreX(1), 733, kMouseLeft);
    ASSERT_EQ(HeldItemIndex(), 1);
    ShowWindow("wnd_diary", true);
    GameSteps(1);
    EXPECT_EQ(State(1), "normal");
  });
}

TEST_F(Inventory, TheSceneMessageTypesItselfOutAndGoesAfterFiveSeconds) {
  Run(1280, 1024, false, [] {
    EnterEmptyLevel();
    ShowSceneMessage("inventory");
    EXPECT_EQ(world.popup.text, "Inventory");
    GameSteps(2);
    EXPECT_FLOAT_EQ(world.popup.shown, 4.0f);
    GameSteps(10);
    EXPECT_FLOAT_EQ(world.popup.shown, 9.0f) << "it stops at the message's length";
    EXPECT_EQ(world.popup.opacity, 60);
    GameSteps(486);
    EXPECT_TRUE(world.popup.active);
    EXPECT_EQ(world.popup.opacity, 200);
    GameSteps(4);
    EXPECT_FALSE(world.popup.active);
    GameSteps(40);
    EXPECT_EQ(world.popup.opacity, 0);
    EXPECT_EQ(world.popup.key, "inventory");
  });
}
