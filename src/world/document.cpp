// The document overlay: a found document is read over the level as an old
// film, its text one page per click along the bottom of the screen.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/random.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "world/scene_steps.h"
#include "world/world.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr float kHalfPi = 1.5707963f;

}  // namespace

// The document is read as a film: the old paper flickers over the scene and
// the text runs along the bottom, one page per click.
void DocumentOverlay() {
  DocumentState& document = world.document;
  View& view = world.view;
  const bool close_up = view.zoom_x == 2.0f;
  if (close_up) {
    document.phase += 0.005f;
    const float drift = std::fabs(std::cos(document.phase)) / 10.0f;
    view.x += drift;
    view.y += drift;
  } else {
    document.phase = kHalfPi;
  }
  DrawList.camera(nullptr);
  const float zoom = std::clamp(view.zoom_x, 1.0f, 2.0f);
  const Texture* paper = images.get("g_oldp");
  const float pw = static_cast<float>(TextureWidth(paper));
  const float ph = static_cast<float>(TextureHeight(paper));
  const auto paper_alpha = static_cast<uint8_t>((zoom - 1.0f) * 64.0f);
  constexpr float kBand = 16.0f;
  for (float row = 0.0f; row < ph; row += kBand) {
    const float band = std::min(kBand, ph - row);
    const auto jitter = static_cast<float>(Random(3) - 1);
    DrawList.image_part("g_oldp", SourceRect{0.0f, row, pw, band}, 512.0f - pw / 2,
                        384.0f - ph / 2 + row + jitter, pw, band, 0.0f, paper_alpha, kWhite,
                        BLEND_NORMAL, 0);
  }
  DrawList.image("g_bars", static_cast<uint8_t>((zoom - 1.0f) * 255.0f), 0.0f, 0.0f);
  if (!close_up) return;

  int pages = 1;
  for (const char c : document.text) pages += c == '\n' ? 1 : 0;
  if (MouseClick(kMouseLeft)) {
    sounds.play("ui_window");
    ClearMouseState();
    if (document.page + 1 < pages) {
      ++document.page;
    } else {
      document.done = true;
    }
  }
  document.page = std::clamp(document.page, 0, pages - 1);
  std::size_t start = 0;
  for (int p = 0; p < document.page; ++p) start = document.text.find('\n', start) + 1;
  const std::size_t end = document.text.find('\n', start);
  const std::string_view text =
      std::string_view(document.text)
          .substr(start, end == std::string::npos ? std::string_view::npos : end - start);
  DrawList.text("ui_font", text, 512.0f, 668.0f, TEXT_CENTRE | TEXT_TOP, -1, 1.0f, 255, 0xFFDD77);
  DrawList.text("ui_font", game_strings.get("click_cont"), 1014.0f, 748.0f,
                TEXT_RIGHT | TEXT_VCENTRE, -1, 0.8f, 255, 0x996644);
}
