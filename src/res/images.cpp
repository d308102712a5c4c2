// Image and font registries, and the pixel test of images.
#include "res/images.h"

#include <cmath>
#include <vector>

#include "engine/archive.h"
#include "engine/log.h"
#include "res/files.h"
#include "engine/name_hash.h"

timages images;
tfonts fonts;

namespace {

// The pixels of the image queried last. Keyed by the texture itself, not by
// name, so that a same-named image of the next scene is never tested with
// the previous one's pixels.
void LogFull(std::string_view what, std::size_t capacity, const std::string& name) {
  LogLine(std::string(what) + " registry full (" + std::to_string(capacity) + "): \"" + name +
              "\" left out",
          true);
}

}  // namespace

// --- Images ------------------------------------------------------------------------

void timages::append_dir(const std::string& dir) {
  for (const std::string& file : list_files(dir + "*.png"))
    if (!append_file(dir, file)) break;
}

// False, with the image left out, when the registry is full.
bool timages::append_file(const std::string& dir, const std::string& file) {
  const std::string name = file_stem(file);
  if (entries_.full()) {
    LogFull("Image", IMAGE_CAPACITY, name);
    return false;
  }
  Texture* texture = LoadTexture(dir + file);
  if (texture == nullptr) ReportBrokenGameFile(dir + file);
  append_entry(timage{name, name_hash(name), texture});
  return true;
}

namespace {

// The hash's low bits after a multiply, so names that differ only in their
// last letters still spread over the table.
std::size_t FirstSlot(uint32_t hash, std::size_t slots) {
  return static_cast<std::size_t>((hash * 2654435761u) >> 16) & (slots - 1);
}

}  // namespace

void timages::index(std::size_t entry) {
  const uint32_t hash = entries_[entry].hash;
  for (std::size_t s = FirstSlot(hash, kSlots);; s = (s + 1) & (kSlots - 1)) {
    if (slots_[s] == 0) {
      slots_[s] = static_cast<uint16_t>(entry + 1);
      return;
    }
    if (entries_[slots_[s] - 1u].hash == hash) return;  // an earlier one keeps the name
  }
}

void timages::reindex() {
  slots_.fill(0);
  for (std::size_t i = 0; i < entries_.size(); ++i) index(i);
}

// The same as append_dir for a folder of the open archive, decoded on both
// cores or ahead by the worker; a picture that could not be made there is
// loaded the ordinary way, which says what is wrong.
void timages::append_archive_dir(const std::string& dir) {
  DecodeArchiveFolder(scene_identity_, dir, TexturePixelFormat(),
                      [&](PrefetchedImage& picture) { return append_decoded(dir, picture); });
}

// False, with the image left out, when the registry is full.
bool timages::append_decoded(const std::string& dir, PrefetchedImage& picture) {
  const std::string name = file_stem(picture.file);
  if (entries_.full()) {
    LogFull("Image", IMAGE_CAPACITY, name);
    return false;
  }
  Texture* texture = picture.image != nullptr ? TextureFromDecoded(*picture.image) : nullptr;
  // Its pixels are in the texture now: freed at once, not with the folder.
  picture.image.reset();
  if (texture == nullptr) texture = LoadTexture(dir + picture.file);
  if (texture == nullptr) ReportBrokenGameFile(dir + picture.file);
  append_entry(timage{name, name_hash(name), texture});
  return true;
}

void timages::append_entry(timage entry) {
  entries_.append(std::move(entry));
  index(entries_.size() - 1);
}

// A scene with a picture missing is not kept: entering it again reports the
// broken file again, as the first time.
void timages::put_scene_aside() {
  bool whole = !scene_key_.empty();
  for (std::size_t i = base_count_; i < entries_.size(); ++i)
    whole = whole && entries_[i].texture != nullptr;
  if (!whole) {
    free_from(base_count_);
  } else {
    KeptScene scene{scene_key_, {}};
    scene.entries.reserve(entries_.size() - base_count_);
    for (std::size_t i = base_count_; i < entries_.size(); ++i) scene.entries.push_back(entries_[i]);
    while (entries_.size() > base_count_) entries_.remove_at(entries_.size() - 1);
    reindex();
    kept_.insert(kept_.begin(), std::move(scene));
    while (kept_.size() > kKeptScenes) {
      for (const timage& entry : kept_.back().entries) DeleteTexture(entry.texture);
      kept_.pop_back();
    }
  }
  scene_key_.clear();
}

bool timages::take_kept_scene(const std::string& key, std::vector<timage>* out) {
  for (auto scene = kept_.begin(); scene != kept_.end(); ++scene) {
    if (scene->key != key) continue;
    *out = std::move(scene->entries);
    kept_.erase(scene);
    return true;
  }
  return false;
}

void timages::append_kept(std::vector<timage>& scene) {
  std::size_t i = 0;
  for (; i < scene.size() && !entries_.full(); ++i) append_entry(scene[i]);
  // Only a registry filled since by permanent images leaves some out.
  for (; i < scene.size(); ++i) {
    LogFull("Image", IMAGE_CAPACITY, scene[i].name);
    DeleteTexture(scene[i].texture);
  }
}

void timages::free_kept_scenes() {
  for (const KeptScene& scene : kept_)
    for (const timage& entry : scene.entries) DeleteTexture(entry.texture);
  kept_.clear();
}

bool timages::scene_kept(const std::string& dir) const {
  const std::string key = scene_identity_ + "|" + dir;
  for (const KeptScene& scene : kept_)
    if (scene.key == key) return true;
  return false;
}

void timages::free_from(std::size_t first) {
  while (entries_.size() > first) {
    DeleteTexture(entries_[entries_.size() - 1].texture);
    entries_.remove_at(entries_.size() - 1);
  }
  reindex();
}

void timages::load_dir(const std::string& dir) {
  append_dir(dir);
  base_count_ = entries_.size();
  scene_key_.clear();
}

void timages::load_file(const std::string& dir, const std::string& file) {
  append_file(dir, file);
  base_count_ = entries_.size();
  scene_key_.clear();
}

void timages::load_decoded_dir(const std::string& dir, std::vector<PrefetchedImage>& pictures) {
  for (PrefetchedImage& picture : pictures)
    if (!append_decoded(dir, picture)) break;
  base_count_ = entries_.size();
  scene_key_.clear();
}

void timages::load_scene_dir(const std::string& dir) {
  // Pictures read from disk may change under the game (the editor's); only
  // the archive's are kept.
  const std::string identity = OpenArchiveIdentity();
  const std::string key = identity.empty() ? std::string() : identity + "|" + dir;
  // The scene walked back to is taken out before the one left is put aside
  // in its place.
  std::vector<timage> back;
  const bool kept = !key.empty() && take_kept_scene(key, &back);
  put_scene_aside();
  scene_identity_ = identity;
  if (kept) {
    append_kept(back);
  } else if (!key.empty()) {
    append_archive_dir(dir);
  } else {
    append_dir(dir);
  }
  scene_key_ = key;
}

void timages::clear() {
  StopImagePrefetch();
  free_from(0);
  free_kept_scenes();
  base_count_ = 0;
  scene_key_.clear();
}

void timages::forget() {
  StopImagePrefetch();
  entries_.clear();
  kept_.clear();
  base_count_ = 0;
  slots_.fill(0);
  scene_key_.clear();
}

Texture* timages::get(std::string_view name) const {
  const uint32_t hash = name_hash(name);
  for (std::size_t s = FirstSlot(hash, kSlots); slots_[s] != 0; s = (s + 1) & (kSlots - 1)) {
    const timage& entry = entries_[slots_[s] - 1u];
    if (entry.hash == hash) return entry.texture;
  }
  return nullptr;
}

int image_alpha_at(std::string_view name, float x, float y) {
  const Texture* texture = images.get(name);
  const long px = std::lround(x);
  const long py = std::lround(y);
  if (px < 0 || py < 0 || px >= TextureWidth(texture) || py >= TextureHeight(texture)) return 0;
  return TextureAlphaAt(texture, static_cast<int>(px), static_cast<int>(py));
}

// --- Fonts ---------------------------------------------------------------------------

void tfonts::load_dir(const std::string& dir) {
  const TF_list files = list_files(dir + "*.zfi");
  // Without fonts no text is drawn at all, not even the message that would
  // tell why.
  if (files.empty()) ReportBrokenGameFile(dir);
  for (const std::string& file : files) {
    const std::string name = file_stem(file);
    if (entries_.full()) {
      LogFull("Font", FONT_CAPACITY, name);
      break;
    }
    Font* font = LoadFont(dir + file);
    // The page beside the description is the font's first page; without
    // it a page found under the page name stays.
    if (font == nullptr) {
      ReportBrokenGameFile(dir + file);
    } else if (Texture* page = LoadTexture(dir + name + ".png")) {
      SetFontPage(font, 0, page);
    } else {
      ReportBrokenGameFile(dir + name + ".png");
    }
    entries_.append(tfont{name, name_hash(name), font});
  }
}

void tfonts::clear() {
  for (const tfont& entry : entries_) FreeFont(entry.font);
  entries_.clear();
}

Font* tfonts::get(std::string_view name) const {
  const uint32_t hash = name_hash(name);
  for (const tfont& entry : entries_)
    if (entry.hash == hash) return entry.font;
  return nullptr;
}
