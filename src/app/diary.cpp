// The diary and the puzzle help window.
#include "app/diary.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "engine/engine.h"
#include "res/draw_list.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/world.h"

namespace {

constexpr uint32_t kInk = 0x3B2A1A;
constexpr uint32_t kPaper = 0xEFE4C8;
constexpr uint32_t kTitle = 0xBEB37E;
constexpr float kFadeStep = 10.0f;
constexpr float kPictureX = 80.0f, kPictureY = 120.0f;

// The letter and the newspaper cutting lie a little askew on the left page.
constexpr View kLetterTilt{0.0f, 0.0f, -4.0f, 1.0f, 1.0f, 347.0f, 300.0f};
constexpr View kCuttingTilt{0.0f, 0.0f, 3.0f, 1.0f, 1.0f, 305.0f, 330.0f};

constexpr std::pair<float, float> kOutline[] = {{-1.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, -1.0f},
                                                {0.0f, 1.0f}};

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

int LastPage(const DiaryState& diary) {
  return std::max(static_cast<int>(diary.pages.size()), 1);
}

// The coloured symbols share one page, whose picture shows the first colour
// found.
std::string PagePicture(const std::string& entry) {
  if (Contains(entry, "csymbol")) {
    if (Contains(entry, "red")) return "page_sred";
    if (Contains(entry, "blue")) return "page_sblue";
    if (Contains(entry, "green")) return "page_sgreen";
  }
  return "page_" + entry;
}

void PageText(std::string_view key, float x, float y, float w, float h, float scale,
              uint8_t alpha, uint32_t colour) {
  DrawList.text_rect("hand", game_strings.get(key), x, y, w, h, TEXT_LEFT | TEXT_TOP, -1, scale,
                     alpha, colour);
}

void DrawPage(int page, float fade) {
  const DiaryState& diary = world.diary;
  // An empty diary, or a page it does not have, shows the bare book.
  if (page < 1 || page > static_cast<int>(diary.pages.size())) return;
  const auto alpha = static_cast<uint8_t>(std::clamp(fade, 0.0f, 255.0f));
  if (alpha == 0) return;
  const std::string& entry = diary.pages[static_cast<std::size_t>(page - 1)];
  DrawList.image(PagePicture(entry), alpha, kPictureX, kPictureY);
  if (entry == "default") {
    DrawList.camera(&kLetterTilt);
    PageText("intro_page", 252.0f, 200.0f, 190.0f, 600.0f, 0.6f, alpha, kInk);
    DrawList.camera(nullptr);
  } else if (entry == "news") {
    // Pale edges keep the print readable on the grey newsprint.
    DrawList.camera(&kCuttingTilt);
    for (const auto& [dx, dy] : kOutline)
      PageText("page_news1", 200.0f + dx, 230.0f + dy, 210.0f, 400.0f, 0.8f, alpha, kPaper);
    PageText("page_news1", 200.0f, 230.0f, 210.0f, 400.0f, 0.8f, alpha, kInk);
    DrawList.camera(nullptr);
  } else {
    const std::string key = Contains(entry, "csymbol") ? "page_csymbol" : "page_" + entry;
    PageText(key, 542.0f, 150.0f, 310.0f, 600.0f, 0.8f, alpha, kInk);
  }
}

void ShowPageButtons(const DiaryState& diary) {
  if (ielement* left = gui_get("btn_pleft")) left->disabled = diary.page == 1;
  if (ielement* right = gui_get("btn_pright")) right->disabled = diary.page == LastPage(diary);
  if (ielement* centre = gui_get("btn_center")) {
    // The caption follows every turn; a diary without pages has no number.
    if (diary.pages.empty())
      centre->text.clear();
    else
      centre->text = std::to_string(diary.page);
  }
}

void CloseDiaryOutsideBook() {
  if (mouse_in_rect(122.0f, 79.0f, 780.0f, 540.0f)) return;
  world.cursor = Cursor::Hand;
  if (!MouseClick(kMouseLeft)) return;
  ClearMouseState();
  ShowWindow("wnd_diary", false);
  sounds.play("ui_window_close");
}

}  // namespace

void KeepDiaryPagesInRange(DiaryState& diary) {
  const int last = LastPage(diary);
  diary.page = std::clamp(diary.page, 1, last);
  diary.previous_page = std::clamp(diary.previous_page, 1, last);
}

void OpenDiary() {
  DiaryState& diary = world.diary;
  KeepDiaryPagesInRange(diary);
  diary.previous_page = diary.page;
  diary.page_fade = 255.0f;
  diary.news = false;
  ShowWindow("wnd_diary", true);
  ClearMouseState();
}

void DiaryPreviousPage() {
  DiaryState& diary = world.diary;
  KeepDiaryPagesInRange(diary);
  diary.previous_page = diary.page;
  if (diary.page == 1) return;
  --diary.page;
  diary.page_fade = 0.0f;
  sounds.play("page");
}

void DiaryNextPage() {
  DiaryState& diary = world.diary;
  KeepDiaryPagesInRange(diary);
  diary.previous_page = diary.page;
  if (diary.page == LastPage(diary)) return;
  ++diary.page;
  diary.page_fade = 0.0f;
  sounds.play("page");
}

void DiaryProcedure() {
  DiaryState& diary = world.diary;
  KeepDiaryPagesInRange(diary);
  ShowPageButtons(diary);
  // The book lies over the level: the level's hit tests must not see through
  // it, but the diary's own must.
  scene_blocked = false;
  CloseDiaryOutsideBook();
  DrawList.scaled_image("gdiary", 255, 512.0f, 384.0f, 0.0f, 1.0f, 1.0f);
  if (mouse_in_rect(901.0f, 100.0f, 50.0f, 50.0f)) DrawList.image("diary_close", 128, 892.0f, 101.0f);
  diary.page_fade = std::min(diary.page_fade + kFadeStep, 255.0f);
  DrawPage(diary.page, diary.page_fade);
  if (diary.previous_page != diary.page) DrawPage(diary.previous_page, 255.0f - diary.page_fade);
}

void HelpProcedure() {
  const ielement* window = gui_get("wnd_help");
  if (window == nullptr) return;
  const float x = window->x, y = window->y;
  DrawList.image("gwnd_conf", 255, x, y);
  DrawList.text_rect("ui_font", game_strings.get("puz_" + world.puzzle.name), x + 80.0f, y + 50.0f,
                     300.0f, 140.0f, TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, kTitle);
  DrawList.text("ui_font", game_strings.get("click_cont"), x + 230.0f, y + 253.0f,
                TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, kTitle);
  // The help belongs to the puzzle: it never outlives the puzzle window.
  if (!WindowVisible("wnd_puzzle")) {
    ShowWindow("wnd_help", false);
    return;
  }
  if (MouseClick(kMouseLeft) || MouseClick(kMouseRight)) {
    ShowWindow("wnd_help", false);
    ClearMouseState();
  }
}
