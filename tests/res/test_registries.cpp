// The registries of images, sounds and tracks against real files: which
// image a name finds, what a scene change frees, the pixel test, and the
// rules of effects and tracks at volume 0 or with names that are missing.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <zip.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/archive.h"
#include "engine/audio.h"
#include "res/image_prefetch.h"
#include "res/images.h"
#include "res/sounds.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

namespace {

// Writes a w x h PNG whose alpha is 255 in the left half and 0 in the right.
void WritePng(const fs::path& path, int w, int h, uint8_t red) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < w; ++x) {
      row[x * 4 + 0] = red;
      row[x * 4 + 1] = 0;
      row[x * 4 + 2] = 0;
      row[x * 4 + 3] = x < w / 2 ? 255 : 0;
    }
  }
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
}

class Registries : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    folder = MakeTempFolder("quillmoor_registries");
    ASSERT_FALSE(folder.empty());
    fs::create_directories(folder / "base");
    fs::create_directories(folder / "other");
    fs::create_directories(folder / "scene1");
    fs::create_directories(folder / "scene2");
    WritePng(folder / "base" / "gbutton.png", 8, 4, 10);
    WritePng(folder / "other" / "gbutton.png", 16, 16, 20);
    WritePng(folder / "scene1" / "lev_door.png", 10, 10, 30);
    WritePng(folder / "scene2" / "lev_door.png", 2, 2, 40);
    images.clear();
  }
  void TearDown() override {
    images.clear();
    sounds.clear();
    music.clear();
    ambience.clear();
    fs::remove_all(folder);
    HeadlessScreen::TearDown();
  }
  std::string Dir(const char* name) { return (folder / name).string() + "/"; }

  fs::path folder;
};

}  // namespace

TEST_F(Registries, TheImageLoadedFirstUnderANameWins) {
  images.load_dir(Dir("base"));
  images.load_dir(Dir("other"));
  ASSERT_EQ(images.count(), 2u);
  EXPECT_EQ(TextureWidth(images.get("gbutton")), 8);
  EXPECT_EQ(images.base_count(), 2u);
  EXPECT_EQ(images.get("nothing"), nullptr);
}

TEST_F(Registries, ASecondSceneFreesTheFirstButKeepsThePermanentImages) {
  images.load_dir(Dir("base"));
  images.load_scene_dir(Dir("scene1"));
  EXPECT_EQ(images.count(), 2u);
  EXPECT_EQ(TextureWidth(images.get("lev_door")), 10);
  const std::size_t textures = TextureCount();
  images.load_scene_dir(Dir("scene2"));
  EXPECT_EQ(images.count(), 2u);
  EXPECT_EQ(images.base_count(), 1u);
  EXPECT_EQ(TextureWidth(images.get("lev_door")), 2);
  EXPECT_EQ(TextureCount(), textures) << "the first scene's image was freed";
  EXPECT_NE(images.get("gbutton"), nullptr);
}

TEST_F(Registries, ALeftSceneIsNoLongerFoundAndNeverHidesAPermanentImage) {
  images.load_dir(Dir("base"));
  images.load_scene_dir(Dir("scene1"));
  images.load_scene_dir(Dir("other"));
  EXPECT_EQ(images.get("lev_door"), nullptr);
  EXPECT_EQ(TextureWidth(images.get("gbutton")), 8);
  images.clear();
  EXPECT_EQ(images.get("gbutton"), nullptr);
  images.load_scene_dir(Dir("scene2"));
  EXPECT_EQ(TextureWidth(images.get("lev_door")), 2);
}

namespace {

// The folders' pictures packed into an encrypted archive as the game's is.
std::string PackArchive(const fs::path& folder, std::initializer_list<const char*> dirs) {
  const std::string path = (folder / "images.dat").string();
  int error = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const char* dir : dirs) {
    for (const auto& file : fs::directory_iterator(folder / dir)) {
      const std::string name = std::string(dir) + "/" + file.path().filename().string();
      zip_source_t* source = zip_source_file(zip, file.path().c_str(), 0, -1);
      const zip_int64_t index = zip_file_add(zip, name.c_str(), source, ZIP_FL_ENC_UTF_8);
      zip_file_set_encryption(zip, static_cast<zip_uint64_t>(index), ZIP_EM_TRAD_PKWARE, "58203");
    }
  }
  zip_close(zip);
  return path;
}

std::vector<uint8_t> AlphaOf(const char* name) {
  const Texture* texture = images.get(name);
  std::vector<uint8_t> alpha;
  for (int y = 0; y < TextureHeight(texture); ++y)
    for (int x = 0; x < TextureWidth(texture); ++x)
      alpha.push_back(static_cast<uint8_t>(TextureAlphaAt(texture, x, y)));
  return alpha;
}

}  // namespace

TEST_F(Registries, ScenesLeftAreKeptForTheWayBackAndNeighboursDecodedAheadMatchTheArchive) {
  fs::create_directories(folder / "scene3");
  WritePng(folder / "scene3" / "lev_door.png", 6, 3, 50);
  WritePng(folder / "scene3" / "lev_gate.png", 4, 4, 60);
  fs::create_directories(folder / "broken");
  WritePng(folder / "broken" / "lev_door.png", 8, 8, 70);
  { std::ofstream(folder / "broken" / "lev_cut.png") << "not a picture"; }
  const std::string archive = PackArchive(folder, {"scene1", "scene2", "scene3", "broken"});
  images.load_dir(Dir("base"));
  ASSERT_TRUE(OpenArchive(archive, "58203"));

  images.load_scene_dir("scene1/");
  Texture* first = images.get("lev_door");
  images.load_scene_dir("scene2/");
  images.load_scene_dir("scene1/");
  EXPECT_EQ(images.get("lev_door"), first) << "the way back reuses the scene's textures";
  EXPECT_EQ(TextureWidth(first), 10);
  EXPECT_EQ(images.count(), 2u);
  EXPECT_TRUE(images.scene_kept("scene2/"));

  // Decoded on a worker, the pictures are the ones the archive gives on the spot.
  PrefetchImageFolders(archive, "58203", OpenArchiveIdentity(), TexturePixelFormat(),
                       {"scene3/"});
  for (int i = 0; i < 500 && !PrefetchedFolderReady("scene3/"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(PrefetchedFolderReady("scene3/"));
  images.load_scene_dir("scene3/");
  ASSERT_EQ(images.count(), 3u);
  EXPECT_EQ(TextureWidth(images.get("lev_door")), 6);
  const std::vector<uint8_t> door = AlphaOf("lev_door");
  const std::vector<uint8_t> gate = AlphaOf("lev_gate");
  EXPECT_EQ(door, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0,
                                        255, 255, 255, 0, 0, 0}));

  // One scene stays aside; the next pushes it out and frees it.
  EXPECT_TRUE(images.scene_kept("scene1/"));
  EXPECT_FALSE(images.scene_kept("scene2/"));
  const std::size_t textures = TextureCount();
  images.load_scene_dir("broken/");
  EXPECT_FALSE(images.scene_kept("scene1/"));
  EXPECT_EQ(TextureCount(), textures) << "scene1's texture freed, the broken scene's door made";
  images.load_scene_dir("scene3/");
  EXPECT_EQ(AlphaOf("lev_door"), door);
  EXPECT_EQ(AlphaOf("lev_gate"), gate);
  // A scene with a broken picture is read again, so it is reported again.
  EXPECT_FALSE(images.scene_kept("broken/"));

  // A changed archive is a new one: nothing of the old is reused.
  CloseArchive();
  fs::remove_all(folder / "scene1");
  fs::create_directories(folder / "scene1");
  WritePng(folder / "scene1" / "lev_door.png", 3, 3, 80);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(OpenArchive(PackArchive(folder, {"scene1"}), "58203"));
  images.load_scene_dir("scene1/");
  EXPECT_EQ(TextureWidth(images.get("lev_door")), 3);
  CloseArchive();
}

// Entered before the worker has it, a level is decoded by both threads at
// once; started by the worker, it is finished by both. Either way the
// registry holds the pictures in the archive's order, a broken one left
// empty, as when they are read one after the other.
TEST_F(Registries, ALevelNotDecodedAheadIsDecodedTogetherInTheFoldersOrder) {
  constexpr int kPictures = 40;
  fs::create_directories(folder / "many");
  for (int i = 0; i < kPictures; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "lev_%02d.png", i);
    WritePng(folder / "many" / name, 4 + i, 30, static_cast<uint8_t>(i));
  }
  { std::ofstream(folder / "many" / "lev_17b.png") << "not a picture"; }
  const std::string archive = PackArchive(folder, {"scene1", "many"});
  images.load_dir(Dir("base"));
  ASSERT_TRUE(OpenArchive(archive, "58203"));
  const std::vector<std::string> listing = ListGameFiles("many/*.png", 100);
  const auto check = [&](const char* when) {
    ASSERT_EQ(images.count(), images.base_count() + listing.size()) << when;
    for (std::size_t i = 0; i < listing.size(); ++i) {
      const timage& entry = images[images.base_count() + i];
      EXPECT_EQ(entry.name + ".png", listing[i]) << when;
      if (entry.name == "lev_17b")
        EXPECT_EQ(entry.texture, nullptr) << when;
      else
        EXPECT_EQ(TextureWidth(entry.texture), 4 + std::stoi(entry.name.substr(4))) << when;
    }
    EXPECT_EQ(image_alpha_at("lev_39", 20, 3), 255) << when;
    EXPECT_EQ(image_alpha_at("lev_39", 23, 3), 0) << when;
  };
  images.load_scene_dir("many/");
  check("entered cold");
  images.load_scene_dir("scene1/");
  images.load_scene_dir("empty/");
  PrefetchImageFolders(archive, "58203", OpenArchiveIdentity(), TexturePixelFormat(), {"many/"});
  images.load_scene_dir("many/");
  check("entered while the worker decodes it");
  CloseArchive();
}

TEST_F(Registries, ThePixelTestAnswersZeroOutsideTheImage) {
  images.load_dir(Dir("base"));
  EXPECT_EQ(image_alpha_at("gbutton", 0, 0), 255);
  EXPECT_EQ(image_alpha_at("gbutton", 3.4f, 3), 255);
  EXPECT_EQ(image_alpha_at("gbutton", 3.6f, 3), 0) << "rounded to pixel 4, the clear half";
  EXPECT_EQ(image_alpha_at("gbutton", 8, 0), 0) << "x = width is outside";
  EXPECT_EQ(image_alpha_at("gbutton", -1, 0), 0);
  EXPECT_EQ(image_alpha_at("gbutton", 0, 4), 0);
  EXPECT_EQ(image_alpha_at("nothing", 0, 0), 0);
}

TEST_F(Registries, ThePixelTestOfANewSceneNeverUsesTheOldScenesPixels) {
  images.load_dir(Dir("base"));
  images.load_scene_dir(Dir("scene1"));
  EXPECT_EQ(image_alpha_at("lev_door", 4, 8), 255);  // 10 x 10: inside the left half
  images.load_scene_dir(Dir("scene2"));
  // The same name now is a 2 x 2 image: (4, 8) lies outside it.
  EXPECT_EQ(image_alpha_at("lev_door", 4, 8), 0);
  EXPECT_EQ(image_alpha_at("lev_door", 0, 1), 255);
}

TEST_F(Registries, EffectsWithoutAnyLoadedDoNothingAndAMissingNameUsesTheFirst) {
  ASSERT_TRUE(StartSound());
  sounds.clear();
  sounds.play("ui_click");
  EXPECT_FALSE(sounds.is_playing("ui_click"));
  sounds.stop("ui_click");

  sounds.load_dir(GameDataDir() + "audio/effects/");
  ASSERT_GT(sounds.count(), 1u);
  EXPECT_EQ(sounds.index_of("no_such_effect"), 0);
  sounds.volume = 100;
  sounds.play("no_such_effect");
  EXPECT_TRUE(SoundState(sounds[0].sound, sounds[0].channel, 1)) << "the first effect stands in";
  sounds.stop("no_such_effect");
  sounds.volume = 0;
  sounds.play("ui_click");
  EXPECT_FALSE(sounds.is_playing("ui_click")) << "nothing plays at volume 0";
}

TEST_F(Registries, MutedMusicStartsNothingWhileMutedAmbiencePlaysSilently) {
  ASSERT_TRUE(StartSound());
  music.load_dir(GameDataDir() + "audio/music/");
  ambience.load_dir(GameDataDir() + "audio/enviroment/");
  music.mute_at_zero = true;
  music.volume = 0;
  ambience.volume = 0;
  music.play("mainmenu", true);
  ambience.play("hotel", true);
  EXPECT_FALSE(music.is_playing("mainmenu"));
  EXPECT_TRUE(ambience.is_playing("hotel"));
  music.volume = 50;
  music.play("mainmenu", true);
  EXPECT_TRUE(music.is_playing("mainmenu"));
  music.play("no_such_track", true);  // nothing
  ambience.stop_all();
  EXPECT_FALSE(ambience.is_playing("hotel"));
  music.stop_all();
  EXPECT_FALSE(music.is_playing("mainmenu"));
}
