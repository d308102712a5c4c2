// The ending and the credits. The outro plays the closing movie under its
// captions; a click jumps to the next chapter of it, "Skip" goes straight to
// the credits, and its end leads there too. The credits scroll the lines of
// the string file from "cr" on over the night sky, and a click once they
// have come up a little returns to the menu.
#include "app/cutscenes.h"

#include <array>

#include "app/menu.h"
#include "app/screens.h"
#include "engine/engine.h"
#include "engine/font.h"
#include "engine/random.h"
#include "engine/video.h"
#include "profile/profiles.h"
#include "res/draw_list.h"
#include "res/images.h"
#include "res/sounds.h"
#include "res/strings.h"
#include "ui/gui.h"
#include "world/scene.h"
#include "world/world.h"

CutsceneState cutscenes;

namespace {

constexpr const char* kOutroMovie = "data/movies/outro.ogv";
constexpr double kClicksFrom = 2.0;  // ms of movie before a click counts
constexpr double kHintsFrom = 2000.0;
constexpr std::array<double, 6> kJumpPoints{7000, 22000, 31000, 43000, 48000, 60000};
struct Caption {
  const char* key;
  double from, to;
};
constexpr std::array<Caption, 5> kCaptions{{{"outro1", 2000, 7000},
                                            {"outro2", 7000, 12000},
                                            {"outro3", 22000, 31000},
                                            {"outro4", 31000, 42000},
                                            {"outro5", 43000, 48000}}};
constexpr double kMenuMusicFrom = 48000.0;
constexpr double kMenuMusicTo = 49000.0;
constexpr float kCaptionY = 668.0f;
constexpr float kSmallText = 0.8f;

constexpr float kCreditsStart = 50.0f;
constexpr float kCreditsStep = 0.25f;
constexpr float kCreditsLeave = 100.0f;
constexpr float kLineHeight = 30.0f;
constexpr uint32_t kTitleColour = 0xFFFFAA;
constexpr uint32_t kHeadingColour = 0xAAFF88;
constexpr int kFilmEvery = 20;  // ticks between the old film's flickers

// Draws the movie's current picture across the screen, centred on the
// middle line, when the frame's drawing is played back.
class MoviePicture final : public EngineDrawable {
 public:
  void draw() const override {
    const Texture* picture = VideoTexture(cutscenes.movie);
    if (picture == nullptr) return;
    const float h = 1024.0f * static_cast<float>(TextureHeight(picture)) /
                    static_cast<float>(TextureWidth(picture));
    DrawSprite(picture, 0.0f, 384.0f - h / 2.0f, 1024.0f, h, 0.0f, 255, 0);
  }
};
const MoviePicture kMoviePicture;

double MovieTime() { return VideoTimeMs(cutscenes.movie); }

// The first jump point after `t`; 0 when the movie is past the last one.
double NextJumpPoint(double t) {
  for (double point : kJumpPoints)
    if (point > t) return point;
  return 0.0;
}

// "Skip", right-aligned above the corner; true on a click over it.
bool SkipButton() {
  const std::string word = game_strings.get("skip_intro");
  const float w = TextWidth(fonts.get("ui_font"), word);
  const float x = 994.0f - w - 15.0f;
  const float y = 713.0f;
  DrawList.text("ui_font", word, x, y, TEXT_LEFT | TEXT_TOP, -1, 1.0f, 255, 0xFFFFFF);
  if (!mouse_in_rect(x, y, w + 30.0f, 50.0f)) return false;
  world.cursor = Cursor::Hand;
  return MouseClick(kMouseLeft);
}

void OutroFirstFrame() {
  cutscenes.seek_target = 0.0;
  DeleteVideo(cutscenes.movie);
  cutscenes.movie = nullptr;
  music.stop_all();
  cutscenes.movie = OpenVideo(kOutroMovie);
  cutscenes.outro_started = true;
  ResetTimers();
  // The movie's sound is its own track, kept in step after every jump.
  ambience.stop_all();
  ambience.play("outro", false);
}

void CreditLine(int n, const tloc& line) {
  const float y = 768.0f - cutscenes.credits_scroll + kLineHeight * static_cast<float>(n);
  if (y < 0.0f || y > 768.0f) return;
  if (line.key == "cr" || line.key == "hl") {
    DrawList.text("ui_font", line.value, 512.0f, y, TEXT_CENTRE | TEXT_TOP, -1, 1.0f, 255,
                  line.key == "cr" ? kTitleColour : kHeadingColour);
    return;
  }
  DrawList.text("hand", line.value, 513.0f, y + 2.0f, TEXT_CENTRE | TEXT_TOP, -1, 1.0f, 160,
                0x000000);
  DrawList.text("hand", line.value, 512.0f, y, TEXT_CENTRE | TEXT_TOP, -1, 1.0f, 255, 0xFFFFFF);
}

}  // namespace

bool StoryScreenTakesClicks() { return gui_modal == -1 && !LevelCovered(); }

void OutroFrame() {
  if (!cutscenes.outro_started) OutroFirstFrame();
  if (cutscenes.movie != nullptr) {
    DrawList.filled_rect(255, 0x000000, 0.0f, 0.0f, 1024.0f, 768.0f, BLEND_NORMAL);
    DrawList.object(&kMoviePicture);
    DrawList.image("g_bars", 255, 0.0f, 0.0f);
  }
  const double t = MovieTime();
  if (t > kHintsFrom) {
    DrawList.text("ui_font", game_strings.get("click_cont"), 10.0f, 748.0f,
                  TEXT_LEFT | TEXT_TOP, -1, kSmallText, 255, 0xFFFFFF);
    DrawList.text("ui_font", game_strings.get("skip_movie"), 1014.0f, 748.0f,
                  TEXT_RIGHT | TEXT_TOP, -1, kSmallText, 255, 0xFFFFFF);
  }
  // Without its movie the outro is only its Skip, which always works.
  const bool clicks = StoryScreenTakesClicks() && (cutscenes.movie == nullptr || t > kClicksFrom);
  if (SkipButton() && clicks) {
    sounds.play("ui_click");
    ClearMouseState();
    ambience.stop_all();
    ShowCredits();
    return;
  }
  if (clicks && MouseClick(kMouseLeft)) {
    if (cutscenes.seek_target == 0.0) cutscenes.seek_target = NextJumpPoint(t);
    ClearMouseState();
  }
  for (const Caption& c : kCaptions) {
    if (t > c.from && t < c.to)
      DrawList.text("ui_font", game_strings.get(c.key), 512.0f, kCaptionY,
                    TEXT_CENTRE | TEXT_VCENTRE, -1, 1.0f, 255, 0xFFFFFF);
  }
  if (t >= kMenuMusicFrom && t <= kMenuMusicTo && !music.is_playing("mainmenu")) {
    music.stop_all();
    music.play("mainmenu", true);
  }
  if (cutscenes.movie != nullptr && t >= VideoLengthMs(cutscenes.movie)) ShowCredits();
}

void OutroUpdate(double elapsed_ms) {
  if (world.levelName != "outro" || cutscenes.movie == nullptr) return;
  UpdateVideo(cutscenes.movie, elapsed_ms, false);
  if (cutscenes.seek_target <= 0.0) return;
  ResetTimers();
  SeekVideo(cutscenes.movie, cutscenes.seek_target);
  ambience.set_position("outro", MovieTime());
  cutscenes.seek_target = 0.0;
}

void CreditsFrame() {
  if (!cutscenes.credits_started) {
    ClearMouseState();
    cutscenes.credits_started = true;
    cutscenes.credits_scroll = kCreditsStart;
    cutscenes.film_ticks = 0;
  }
  UpdateAndDraw(cutscenes.film);
  // From the "cr" entry to the end of the file; nothing when there is none.
  const int first = game_strings.index_of("cr");
  bool scrolling = true;
  if (first >= 0) {
    for (int i = first; i < game_strings.count(); ++i) {
      const int n = i - first;
      const float y = 768.0f - cutscenes.credits_scroll + kLineHeight * static_cast<float>(n);
      if (y <= 384.0f && i == game_strings.count() - 1) scrolling = false;
      CreditLine(n, game_strings[i]);
    }
  }
  if (scrolling) cutscenes.credits_scroll += kCreditsStep;
  if (cutscenes.film_ticks++ % kFilmEvery == 0) {
    Emit(cutscenes.film, "g_oldp", true, 512.0f + static_cast<float>(Random(16) - 8),
         384.0f + static_cast<float>(Random(12) - 6), static_cast<float>(Random(10) - 5) / 50.0f,
         static_cast<float>(Random(10) - 5) / 50.0f, 1.0f, 6.0f, 0.0f, 0.0f, 0x403428,
         BLEND_ADD);
  }
  DrawList.image("g_bars", 255, 0.0f, 0.0f);
  if (cutscenes.credits_scroll <= kCreditsLeave) return;
  DrawList.text("ui_font", game_strings.get("click_cont"), 1014.0f, 748.0f,
                TEXT_RIGHT | TEXT_TOP, -1, kSmallText, 255, 0xFFFFFF);
  if (!StoryScreenTakesClicks() || !MouseClick(kMouseLeft)) return;
  sounds.play("ui_click");
  ClearMouseState();
  RestoreLevelAfterCredits();
  ReturnToMenu();
}

void StoryScreenFrame() {
  if (world.levelName == "intro") IntroFrame();
  if (world.levelName == "outro") OutroFrame();
  if (world.levelName == "credits") CreditsFrame();
}

void ResetCutscenes() {
  cutscenes.intro = IntroState{};
  cutscenes.outro_started = false;
  cutscenes.credits_started = false;
}

void RestoreLevelAfterCredits() {
  Profiles& profiles = CurrentProfiles();
  if (profiles.current_level == "credits") profiles.current_level = cutscenes.level_before_credits;
}
