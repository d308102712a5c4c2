// The registries of named images and fonts. An image is drawn as "gbutton",
// a font is "ui_font": the name is the file name without its extension.
// Lookups compare name hashes; the first entry loaded under a name wins.
// The frame tick finds its images by name many times a frame, so a table
// keyed by the hash finds them without walking the registry; the registry
// itself stays in load order.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/font.h"
#include "engine/render.h"
#include "res/fixed_list.h"
#include "res/image_prefetch.h"

struct timage {
  std::string name;
  uint32_t hash = 0;
  Texture* texture = nullptr;  // owned; nullptr when the file failed to load
};

inline constexpr std::size_t IMAGE_CAPACITY = 2049;

class timages {
 public:
  // Loads every "*.png" of the folder and makes all images so far permanent.
  void load_dir(const std::string& dir);
  // Loads one picture of a folder ("images/splash/", "pub.png") and makes
  // all images so far permanent.
  void load_file(const std::string& dir, const std::string& file);
  // As load_dir, from pictures a worker decoded ahead, in the folder's
  // listing order; one it could not make is loaded the ordinary way, which
  // says what is wrong.
  void load_decoded_dir(const std::string& dir, std::vector<PrefetchedImage>& pictures);
  // Puts the images of the previous scene (everything after the permanent
  // ones) aside, then loads the folder's images without making them
  // permanent: from the scene put aside, or from the archive (decoded
  // ahead, or now on both cores), or from disk. The scene left last, if
  // read from the archive, stays aside for the way back; the one before is
  // freed.
  void load_scene_dir(const std::string& dir);
  // Whether the folder's images are the scene put aside.
  bool scene_kept(const std::string& dir) const;
  // The archive the scene images came from (OpenArchiveIdentity), or "".
  const std::string& scene_identity() const { return scene_identity_; }
  // Frees every image.
  void clear();
  // Empties the registry without freeing: the engine's shutdown has freed
  // every texture already.
  void forget();
  // The texture of the first image of that name, or nullptr.
  Texture* get(std::string_view name) const;
  std::size_t count() const { return entries_.size(); }
  std::size_t base_count() const { return base_count_; }
  const timage& operator[](std::size_t i) const { return entries_[i]; }

 private:
  void append_dir(const std::string& dir);
  bool append_file(const std::string& dir, const std::string& file);
  void append_archive_dir(const std::string& dir);
  bool append_decoded(const std::string& dir, PrefetchedImage& picture);
  void append_entry(timage entry);
  void free_from(std::size_t first);
  void index(std::size_t entry);
  void reindex();

  // Open addressing over at least twice the capacity, so a probe ends soon
  // at an empty slot. A slot holds 1 + the index of the first entry with
  // that hash, 0 when empty.
  static constexpr std::size_t kSlots = 8192;
  static_assert(kSlots >= 2 * IMAGE_CAPACITY && (kSlots & (kSlots - 1)) == 0);

  FixedList<timage, IMAGE_CAPACITY> entries_;
  std::size_t base_count_ = 0;
  std::array<uint16_t, kSlots> slots_{};
  void put_scene_aside();
  bool take_kept_scene(const std::string& key, std::vector<timage>* out);
  void append_kept(std::vector<timage>& scene);
  void free_kept_scenes();

  struct KeptScene {
    std::string key;  // archive identity + "|" + folder
    std::vector<timage> entries;
  };
  // One level's pictures take 9 to 19 MB: one kept and one
  // decoded ahead keep the game within its memory.
  static constexpr std::size_t kKeptScenes = 1;

  std::string scene_key_;       // of the scene loaded now; "" when not from the archive
  std::string scene_identity_;
  std::vector<KeptScene> kept_;  // the most recent first
};

struct tfont {
  std::string name;
  uint32_t hash = 0;
  Font* font = nullptr;  // owned
};

inline constexpr std::size_t FONT_CAPACITY = 33;

class tfonts {
 public:
  // Loads every "*.zfi" of the folder; each font's first page is the image
  // stem + ".png" beside it.
  void load_dir(const std::string& dir);
  void clear();
  // Empties the registry without freeing (after the engine's shutdown).
  void forget() { entries_.clear(); }
  Font* get(std::string_view name) const;
  std::size_t count() const { return entries_.size(); }
  const tfont& operator[](std::size_t i) const { return entries_[i]; }

 private:
  FixedList<tfont, FONT_CAPACITY> entries_;
};

extern timages images;
extern tfonts fonts;

// The alpha (0..255) of the named image's pixel at (x, y), counted from its
// top-left corner; 0 outside the image or for an unknown name.
int image_alpha_at(std::string_view name, float x, float y);
