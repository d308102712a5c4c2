// The controls through the UI pass with the mouse and typed text injected as
// the window code would feed them: buttons' hover and glow, the slider's
// drag and snapping, the check box's size, the list's selection and the
// edit's filter, width limit and caret.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/font.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "support/input.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"
#include "ui/controls.h"

namespace fs = std::filesystem;

namespace {

int g_clicks = 0;
void CountClick() { ++g_clicks; }

void WriteOpaquePng(const fs::path& path, int w, int h) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 200, 200, 200, 255));
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
}

// The window sits at (100, 100), so a control's absolute corner is its own
// position plus 100.
class Controls : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    gui_reset();
    gui_controls_reset();
    DrawList.clear();
    g_clicks = 0;
    folder_ = MakeTempFolder("quillmoor_controls");
    ASSERT_FALSE(folder_.empty());
    WriteOpaquePng(folder_ / "gknob.png", 20, 20);
    WriteOpaquePng(folder_ / "gmark.png", 24, 24);
    WriteOpaquePng(folder_ / "gbox.png", 24, 24);
    WriteOpaquePng(folder_ / "gface.png", 40, 20);
    images.clear();
    images.load_dir(folder_.string() + "/");
    fonts.clear();
    fonts.load_dir(GameDataDir() + "fonts/");
    ASSERT_NE(fonts.get("ui_font"), nullptr);
    gui_add(std::make_unique<iwindow>("wnd_test", 100, 100, 600, 400, "", true));
    gui_set_parent();
  }
  void TearDown() override {
    gui_reset();
    gui_controls_reset();
    EndTextInput();
    images.clear();
    fonts.clear();
    fs::remove_all(folder_);
    HeadlessScreen::TearDown();
  }

  template <typename Control>
  Control& Add(const char* name, float x, float y, float w, float h, const char* text = "") {
    auto c = std::make_unique<Control>(name, x, y, w, h, text, true);
    Control& ref = *c;
    gui_add(std::move(c));
    return ref;
  }

  static void MoveTo(float x, float y) {
    EngineSetCursorLogical(x, y);
    EngineStep();  // the pass reads the cursor
  }
  // One frame tick of the UI, as the game runs it: the pass, then the
  // mouse's one-shot flags are spent.
  static void Tick() {
    DrawList.clear();
    gui_update();
    ClearMouseState();
  }
  static int Count(int kind, uint8_t alpha = 0, int blend = -1) {
    int n = 0;
    for (std::size_t i = 0; i < DrawList.count(); ++i)
      if (DrawList[i].kind == kind && (alpha == 0 || DrawList[i].alpha == alpha) &&
          (blend == -1 || DrawList[i].blend == blend))
        ++n;
    return n;
  }

  fs::path folder_;
};

}  // namespace

TEST_F(Controls, AButtonGreetsTheMouseOncePerEntryAndClicksOnce) {
  ibutton& b = Add<ibutton>("btn_play", 10, 10, 100, 40, "Play");
  b.graphic = "gface";
  b.on_click = CountClick;
  MoveTo(50, 50);
  Tick();
  EXPECT_FALSE(b.hover);
  EXPECT_FALSE(gui_hover);

  MoveTo(150, 130);
  Tick();
  EXPECT_TRUE(b.hover) << "entering is when the hover sound plays";
  EXPECT_TRUE(gui_hover);
  EXPECT_EQ(Count(DRAW_SCALED_IMAGE, 128, BLEND_ADD), 1) << "the face flashes while hovered";
  Tick();
  EXPECT_TRUE(b.hover) << "staying over it is not a new entry";

  SendButtonDown();
  Tick();
  Tick();  // held: still one click
  SendButtonUp();
  EXPECT_EQ(g_clicks, 1);

  MoveTo(500, 500);
  Tick();
  EXPECT_FALSE(b.hover) << "leaving arms the sound for the next entry";
  MoveTo(150, 130);
  Tick();
  EXPECT_TRUE(b.hover);
}

TEST_F(Controls, AButtonWithItsGraphicHiddenStillFlashesItWhenHovered) {
  ibutton& b = Add<ibutton>("btn_hint", 10, 10, 100, 40, "Hint");
  b.graphic = "gface";
  b.hide_graphic = true;
  MoveTo(50, 50);
  Tick();
  EXPECT_EQ(Count(DRAW_SCALED_IMAGE), 0);
  EXPECT_EQ(Count(DRAW_TEXT), 1);
  MoveTo(150, 130);
  Tick();
  ASSERT_EQ(Count(DRAW_SCALED_IMAGE), 1);
  EXPECT_EQ(Count(DRAW_SCALED_IMAGE, 128, BLEND_ADD), 1);
}

void DrawMark() { DrawList.filled_rect(255, 0x123456, 0, 0, 1, 1, BLEND_NORMAL); }

TEST_F(Controls, AButtonsFaceTakesItsTintAndWhatIsLaidOverItSitsUnderTheCaption) {
  ibutton& b = Add<ibutton>("btn_hint", 10, 10, 100, 40, "Hint");
  b.graphic = "gface";
  b.graphic_color = 0x888888;
  b.on_face = DrawMark;
  MoveTo(50, 50);
  Tick();
  std::vector<int> order;  // the kinds of the button's own commands, in order
  for (std::size_t i = 0; i < DrawList.count(); ++i) {
    const tfunction& c = DrawList[i];
    if (c.kind == DRAW_SCALED_IMAGE) {
      EXPECT_EQ(c.colour, 0x888888u);
    }
    if (c.kind == DRAW_SCALED_IMAGE || c.kind == DRAW_FILLED_RECT ||
        (c.kind == DRAW_TEXT && c.text == "Hint"))
      order.push_back(c.kind);
  }
  EXPECT_EQ(order, (std::vector<int>{DRAW_SCALED_IMAGE, DRAW_FILLED_RECT, DRAW_TEXT}));
}

TEST_F(Controls, ATextButtonFadesItsHaloInWhileHoveredAndOutAfter) {
  ibutton& b = Add<ibutton>("btn_text", 10, 10, 100, 40, "Options");
  b.caption_dy = 7;
  MoveTo(150, 130);
  for (int i = 0; i < 3; ++i) Tick();
  EXPECT_FLOAT_EQ(b.glow, 40.0f) << "+20 on entry, then +10 a tick";
  ASSERT_EQ(Count(DRAW_TEXT), 6) << "the caption and five halo copies";
  const tfunction& last = DrawList[DrawList.count() - 1];
  EXPECT_EQ(last.alpha, 40);
  EXPECT_FLOAT_EQ(last.y, 130.0f) << "the halo ignores the caption's offset";
  EXPECT_FLOAT_EQ(DrawList[0].y, 137.0f);
  EXPECT_EQ(Count(DRAW_TEXT, 5), 4) << "an eighth as strong around it";

  for (int i = 0; i < 100; ++i) Tick();
  EXPECT_FLOAT_EQ(b.glow, 255.0f);
  MoveTo(500, 500);
  for (int i = 0; i < 26; ++i) Tick();
  EXPECT_FLOAT_EQ(b.glow, 0.0f);
  EXPECT_EQ(Count(DRAW_TEXT), 1);
}

TEST_F(Controls, ABarSnapsToItsEndsWithinHalfAKnobAndKeepsTheKnobInside) {
  ibar& bar = Add<ibar>("bar_music", 10, 10, 200, 20);
  bar.graphic = "gface";
  bar.graphic2 = "gknob";  // 20 wide
  const float ax = 110;
  MoveTo(ax + 195, 120);
  SendButtonDown();
  Tick();
  EXPECT_TRUE(bar.hover);
  EXPECT_FLOAT_EQ(bar.value, 200.0f);
  ASSERT_EQ(Count(DRAW_IMAGE), 1);
  EXPECT_FLOAT_EQ(DrawList[DrawList.count() - 1].x, ax + 200 - 20) << "knob left at w - kw/2";
  EXPECT_EQ(Count(DRAW_CORNER_IMAGE), 2) << "the track, twice";

  MoveTo(ax + 100, 120);
  Tick();
  EXPECT_FLOAT_EQ(bar.value, 100.0f) << "dragging follows the mouse";
  MoveTo(ax + 9, 120);
  Tick();
  EXPECT_FLOAT_EQ(bar.value, 0.0f);
  EXPECT_FLOAT_EQ(DrawList[DrawList.count() - 1].x, ax);
  MoveTo(ax + 10, 120);
  Tick();
  EXPECT_FLOAT_EQ(bar.value, 10.0f) << "exactly half a knob is not snapped";
  SendButtonUp();
  Tick();
  EXPECT_FLOAT_EQ(bar.value, 10.0f);
}

TEST_F(Controls, ABarDragIsArmedOnlyByAClickOnItAndReportsTheReleaseThere) {
  ibar& bar = Add<ibar>("bar_sound", 10, 10, 200, 20);
  bar.graphic2 = "gknob";
  bar.value = 50;
  bar.on_click = CountClick;
  const float ax = 110;

  MoveTo(50, 50);
  SendButtonDown();
  Tick();
  MoveTo(ax + 150, 120);
  Tick();
  EXPECT_FALSE(bar.hover) << "a press begun elsewhere does not drag";
  EXPECT_FLOAT_EQ(bar.value, 50.0f);
  SendButtonUp();
  Tick();
  EXPECT_EQ(g_clicks, 0);

  SendButtonDown();
  Tick();
  SendButtonUp();
  Tick();
  EXPECT_EQ(g_clicks, 1) << "released on the bar after arming it";
  EXPECT_TRUE(bar.hover) << "armed until the mouse leaves";
  EXPECT_FLOAT_EQ(bar.value, 150.0f);

  SendButtonDown();
  Tick();
  MoveTo(ax + 300, 120);
  Tick();
  EXPECT_FALSE(bar.hover);
  SendButtonUp();
  Tick();
  EXPECT_EQ(g_clicks, 1) << "a release off the bar calls nothing";
}

TEST_F(Controls, ACheckBoxSizesItselfToItsLabelAndCentresOnItsX) {
  icheck& c = Add<icheck>("check_1", 300, 50, 0, 0, "Full screen");
  c.graphic = "gbox";
  c.graphic3 = "gmark";
  c.on_click = CountClick;
  const float label = TextWidth(fonts.get("ui_font"), "Full screen");
  MoveTo(0, 0);
  Tick();
  EXPECT_FLOAT_EQ(c.w, label + 24);
  EXPECT_FLOAT_EQ(c.h, 24);
  const float ax = 400;
  const float left = std::round(ax - c.w / 2);
  ASSERT_EQ(Count(DRAW_IMAGE), 1) << "unchecked: the box alone";
  EXPECT_FLOAT_EQ(DrawList[0].x, left);
  EXPECT_FLOAT_EQ(DrawList[1].x, std::round(ax + 24 - c.w / 2));
  EXPECT_EQ(DrawList[1].text_flags, 0x21u);

  MoveTo(ax + c.w / 2 + 2, 160);  // right of the box's true extent
  SendButtonDown();
  Tick();
  SendButtonUp();
  EXPECT_FALSE(c.checked);
  MoveTo(left + 2, 160);
  SendButtonDown();
  Tick();
  SendButtonUp();
  EXPECT_TRUE(c.checked);
  EXPECT_EQ(g_clicks, 1);
  EXPECT_EQ(Count(DRAW_IMAGE), 2) << "checked: the mark over the box";
}

TEST_F(Controls, AListClampsItsSelectionAndSelectsTheClickedRow) {
  ilist& list = Add<ilist>("list_players", 10, 10, 200, 300);
  Tick();
  EXPECT_EQ(list.selected, -1) << "an empty list selects nothing";
  for (const char* name : {"Ada", "Bram", "Cato"}) list.items.append(name);
  list.selected = 7;
  MoveTo(0, 0);
  Tick();
  EXPECT_EQ(list.selected, 2);
  EXPECT_EQ(Count(DRAW_FILLED_RECT, 64, BLEND_ADD), 1);

  const float lh = static_cast<float>(fonts.get("ui_font")->max_height);
  MoveTo(150, 110 + lh * 1.5f);
  Tick();
  EXPECT_EQ(Count(DRAW_FILLED_RECT, 32, BLEND_ADD), 1) << "the row under the mouse";
  SendButtonDown();
  Tick();
  SendButtonUp();
  EXPECT_EQ(list.selected, 1);
}

TEST_F(Controls, AFilteredEditKeepsOnlyLettersAndDigitsInOrder) {
  iedit& edit = Add<iedit>("edit_name", 10, 10, 400, 30);
  edit.filter = true;
  BeginTextInput("", -1);
  Tick();
  SendText("Anna-Lee 2\xC3\xA9!x");
  Tick();
  EXPECT_EQ(edit.text, "AnnaLee2x");
  EXPECT_EQ(GetTextInput(), "AnnaLee2x");
  EXPECT_EQ(EngineInput().text_max_length, -1);
}

TEST_F(Controls, AnEditDropsTheCharacterThatMakesItTooWide) {
  iedit& edit = Add<iedit>("edit_file", 10, 10, 130, 30);
  BeginTextInput("", 5);
  Tick();
  EXPECT_EQ(EngineInput().text_max_length, -1) << "the edit lifts any length limit";
  const Font* font = fonts.get("ui_font");
  std::string kept;
  for (int i = 0; i < 30; ++i) {
    SendText("W");
    Tick();
    ASSERT_LE(TextWidth(font, edit.text), 100.0f) << "w - h";
    if (edit.text.size() == kept.size()) break;
    kept = edit.text;
  }
  EXPECT_GT(kept.size(), 1u);
  EXPECT_EQ(edit.text, kept);
  SendText("i");  // a narrower letter may still fit or not, but never overflows
  Tick();
  EXPECT_LE(TextWidth(font, edit.text), 100.0f);
}

TEST_F(Controls, EditsShareOneBlinkingCaretAndADisabledEditStopsTyping) {
  iedit& edit = Add<iedit>("edit_a", 10, 10, 400, 30, "");
  BeginTextInput("Ada", -1);
  Tick();
  ASSERT_GE(DrawList.count(), 1u);
  EXPECT_EQ(DrawList[DrawList.count() - 1].text, "Ada|");
  EXPECT_FLOAT_EQ(DrawList[DrawList.count() - 1].x, 125.0f) << "indented by half the height";
  for (int i = 0; i < 14; ++i) Tick();
  EXPECT_EQ(DrawList[DrawList.count() - 1].text, "Ada");
  for (int i = 0; i < 20; ++i) Tick();
  EXPECT_EQ(DrawList[DrawList.count() - 1].text, "Ada|");
  const float clock = gui_caret_clock();

  edit.disabled = true;
  Tick();
  EXPECT_FALSE(EngineInput().text_active);
  EXPECT_FLOAT_EQ(gui_caret_clock(), clock) << "the caret rests while the edit is disabled";
}
