// The shipped world as data: every level and scene list of the built game
// reads, its hunts are laid out as the hidden-object mode expects, every exit
// leads somewhere and back, every picture it names is in the image archive
// and every text it needs is in the string file. Each test reports all the
// faults it finds in one message, so one run shows a content author the lot.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <SDL.h>
#include <SDL_image.h>

#include "engine/archive.h"
#include "res/strings.h"
#include "world/object_list.h"

namespace fs = std::filesystem;

namespace {

const std::string kData = QUILLMOOR_TEST_GAME_DIR "/data/";
const std::string kContent = QUILLMOOR_TEST_CONTENT_DIR "/";
constexpr float kPanelTop = 640.0f;

// Levels the shell plays as story screens; they have no panel and no exits.
const std::set<std::string> kStoryScreens = {"intro", "outro", "credits"};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ShortOf(const std::string& name) { return name.size() > 2 ? name.substr(2) : ""; }

// One object the story adds during play (content/added_objects.txt).
struct AddedObject {
  std::string level, name, kind;
  float x = 0, y = 0;
  bool has_image = false;
};

// Every shipped list, read once for the whole suite.
struct World {
  std::map<std::string, std::unique_ptr<BlockTable>> levels, scenes;
  std::vector<AddedObject> added;
  std::vector<std::string> read_faults;
};

void ReadFolder(const std::string& folder, std::map<std::string, std::unique_ptr<BlockTable>>& into,
                std::vector<std::string>& faults) {
  for (const auto& entry : fs::directory_iterator(kData + folder)) {
    if (entry.path().extension() != ".cfg") continue;
    auto table = std::make_unique<BlockTable>();
    const std::string what = folder + "/" + entry.path().filename().string();
    try {
      const std::size_t declared = ParseObjectList(ReadAll(entry.path().string()), *table, what);
      if (declared > MAX_OBJECTS) faults.push_back(what + ": more than 129 objects");
    } catch (const ObjectListError& e) {
      faults.push_back(e.what());
    }
    into[entry.path().stem().string()] = std::move(table);
  }
}

const World& TheWorld() {
  static const World world = [] {
    World w;
    ReadFolder("levels", w.levels, w.read_faults);
    ReadFolder("scenes", w.scenes, w.read_faults);
    std::istringstream table(ReadAll(kContent + "added_objects.txt"));
    std::string line;
    while (std::getline(table, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream words(line);
      AddedObject a;
      std::string image;
      words >> a.level >> a.name >> a.x >> a.y >> a.kind >> image;
      a.has_image = image == "image";
      w.added.push_back(a);
    }
    return w;
  }();
  return world;
}

// Whether a level object is drawn or hit-tested by a picture of its own
// name: not the entrances and ghost flights, not the apparition flags and
// not the level's copy of a hidden-object obstacle (the scene draws that).
bool NeedsImage(const std::string& level, const ObjectBlock& o) {
  if (o.kind == "hobject" || o.kind == "ghost_catch") return false;
  if (o.kind == "inactive" && o.name == "q_shade") return false;
  const auto scene = TheWorld().scenes.find(level);
  if (scene != TheWorld().scenes.end()) {
    for (const ObjectBlock& s : *scene->second) {
      if (s.kind == "obstacle" && s.name == o.name) return false;
    }
  }
  return true;
}

// The entrances of a level: shipped and added by the story.
std::set<std::string> EntrancesOf(const std::string& level) {
  std::set<std::string> names;
  for (const ObjectBlock& o : *TheWorld().levels.at(level)) {
    if (o.kind == "hobject") names.insert(o.name);
  }
  for (const AddedObject& a : TheWorld().added) {
    if (a.level == level && a.kind == "hobject") names.insert(a.name);
  }
  return names;
}

std::string Joined(const std::vector<std::string>& faults) {
  std::string out;
  for (const std::string& f : faults) out += "\n  " + f;
  return out;
}

TEST(WorldContent, every_list_reads_with_unique_names) {
  const World& w = TheWorld();
  std::vector<std::string> faults = w.read_faults;
  ASSERT_GE(w.levels.size(), 28u) << "data/levels holds too few lists";
  for (const std::string& screen : kStoryScreens) {
    if (!w.levels.count(screen)) faults.push_back("no list for the story screen " + screen);
  }
  for (const auto* group : {&w.levels, &w.scenes}) {
    for (const auto& [level, list] : *group) {
      std::set<std::string> seen;
      for (const ObjectBlock& o : *list) {
        if (!seen.insert(o.name).second) faults.push_back(level + ": " + o.name + " twice");
        if (o.name.empty() || o.kind.empty()) faults.push_back(level + ": an object without name or kind");
      }
    }
  }
  for (const auto& [level, list] : w.scenes) {
    if (!w.levels.count(level)) {
      faults.push_back("scene " + level + " has no level");
    } else if (EntrancesOf(level).empty()) {
      faults.push_back("scene " + level + " has no entrance");
    }
  }
  for (const auto& [level, list] : w.levels) {
    if (!EntrancesOf(level).empty() && !w.scenes.count(level)) {
      faults.push_back(level + " has an entrance but no scene");
    }
  }
  for (const AddedObject& a : w.added) {
    if (!w.levels.count(a.level)) faults.push_back("added " + a.name + " to a level without a list: " + a.level);
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(WorldContent, hunts_are_groups_of_twelve_with_one_key_each) {
  std::vector<std::string> faults;
  for (const auto& [level, list] : TheWorld().scenes) {
    if (!TheWorld().levels.count(level)) continue;  // reported by the test above
    const BlockTable& s = *list;
    const std::set<std::string> entrances = EntrancesOf(level);
    std::set<std::string> keys;
    std::size_t hunt_end = 0;
    for (std::size_t first = 0; first + 12 <= s.size() && first < 24; first += 12) {
      int key_count = 0, item_count = 0;
      for (std::size_t i = first; i < first + 12; ++i) {
        if (s[i].kind == "key") {
          ++key_count;
          keys.insert(s[i].name);
        } else if (s[i].kind == "item") {
          ++item_count;
        }
      }
      if (key_count + item_count == 0) break;
      if (key_count != 1 || item_count != 11) {
        faults.push_back(level + " group " + std::to_string(first / 12) + ": " + std::to_string(key_count) +
                         " keys and " + std::to_string(item_count) + " things, not 1 and 11");
      }
      hunt_end = first + 12;
    }
    for (std::size_t i = hunt_end; i < s.size(); ++i) {
      if (s[i].kind == "key" || s[i].kind == "item") {
        faults.push_back(level + ": " + s[i].name + " to find lies outside the hunts, at " + std::to_string(i));
      }
    }
    for (const std::string& e : entrances) {
      if (!keys.count("h_" + ShortOf(e))) faults.push_back(level + ": entrance " + e + " has no key in the scene");
    }
    for (const std::string& k : keys) {
      if (!entrances.count("q_" + ShortOf(k))) faults.push_back(level + ": key " + k + " has no entrance");
    }
    // The obstacle stands on group 0's key, and the level keeps a copy of it
    // for the hint; the tool lies elsewhere in the picture.
    const auto obstacle = std::find_if(s.begin(), s.end(), [](const ObjectBlock& o) { return o.kind == "obstacle"; });
    const auto tool = std::find_if(s.begin(), s.end(), [](const ObjectBlock& o) { return o.kind == "tool"; });
    if (obstacle == s.end() || tool == s.end()) {
      faults.push_back(level + ": no obstacle or no tool");
      continue;
    }
    const auto key0 = std::find_if(s.begin(), s.begin() + std::min<std::size_t>(12, s.size()),
                                   [](const ObjectBlock& o) { return o.kind == "key"; });
    if (key0 == s.begin() + std::min<std::size_t>(12, s.size()) || key0->x != obstacle->x || key0->y != obstacle->y) {
      faults.push_back(level + ": the obstacle does not cover group 0's key");
    }
    const BlockTable& lv = *TheWorld().levels.at(level);
    if (std::none_of(lv.begin(), lv.end(), [&](const ObjectBlock& o) { return o.name == obstacle->name; })) {
      faults.push_back(level + ": the level has no copy of the obstacle " + obstacle->name);
    }
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(WorldContent, exits_lead_to_levels_that_lead_back) {
  const World& w = TheWorld();
  std::map<std::string, std::set<std::string>> exits;  // level -> target levels
  std::vector<std::string> faults;
  auto add_exit = [&](const std::string& level, const std::string& name, float y) {
    const std::string target = ShortOf(name);
    if (!w.levels.count(target)) faults.push_back(level + ": exit " + name + " leads to no level");
    if (y >= kPanelTop) faults.push_back(level + ": exit " + name + " lies under the panel and shows no walk cursor");
    exits[level].insert(target);
  };
  for (const auto& [level, list] : w.levels) {
    for (const ObjectBlock& o : *list) {
      if (o.kind == "area") add_exit(level, o.name, o.y);
    }
  }
  for (const AddedObject& a : w.added) {
    if (a.kind == "area") add_exit(a.level, a.name, a.y);
  }
  for (const auto& [level, targets] : exits) {
    for (const std::string& t : targets) {
      // The travel screen is off the story path: its exit only gets a
      // developer who loads it back into the game.
      if (level != "flight" && !exits[t].count(level)) faults.push_back(level + " -> " + t + " has no way back");
    }
  }
  // Every playable level can be walked to from the hotel, where a new game
  // starts after the intro.
  std::set<std::string> reached = {"hotel"};
  std::vector<std::string> open = {"hotel"};
  while (!open.empty()) {
    const std::string at = open.back();
    open.pop_back();
    for (const std::string& t : exits[at]) {
      if (reached.insert(t).second) open.push_back(t);
    }
  }
  for (const auto& [level, list] : w.levels) {
    if (!kStoryScreens.count(level) && level != "flight" && !reached.count(level)) {
      faults.push_back(level + " cannot be reached from the hotel");
    }
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// The sizes the art is painted at (content/sprites.txt), by folder and name.
std::map<std::string, std::pair<float, float>> SpriteSizes() {
  std::map<std::string, std::pair<float, float>> sizes;
  std::istringstream list(ReadAll(kContent + "sprites.txt"));
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string folder, name;
    float width = 0, height = 0;
    words >> folder >> name >> width >> height;
    sizes[folder + "/" + name] = {width, height};
  }
  return sizes;
}

TEST(WorldContent, clickable_objects_do_not_cover_each_other_or_reach_the_panel) {
  const auto sizes = SpriteSizes();
  const std::set<std::string> clickable = {"item", "static", "cstatic", "puzzle", "zoomin", "ghost", "area", "hobject"};
  std::vector<std::string> faults;
  struct Box {
    std::string name;
    float x0, y0, x1, y1;
  };
  for (const auto& [level, list] : TheWorld().levels) {
    std::vector<Box> boxes;
    auto box_of = [&](const std::string& name, const std::string& kind, float x, float y) {
      std::pair<float, float> wh = {100, 100};  // an entrance's box
      if (kind != "hobject") {
        const auto it = sizes.find("levels/" + level + "/" + name);
        if (it == sizes.end()) return;
        wh = it->second;
      }
      const Box b{name, x - wh.first / 2, y - wh.second / 2, x + wh.first / 2, y + wh.second / 2};
      if (b.y1 > kPanelTop || b.x0 < 0 || b.x1 > 1024 || b.y0 < 0) faults.push_back(level + ": " + name + " leaves the picture");
      for (const Box& o : boxes) {
        if (b.x0 < o.x1 && o.x0 < b.x1 && b.y0 < o.y1 && o.y0 < b.y1) {
          faults.push_back(level + ": " + name + " overlaps " + o.name);
        }
      }
      boxes.push_back(b);
    };
    for (const ObjectBlock& o : *list) {
      if (clickable.count(o.kind)) box_of(o.name, o.kind, o.x, o.y);
    }
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// A hunt's things may crowd each other, as clutter does, but each must keep
// most of itself clear of the others and of the panel, or it cannot be
// clicked. The first hunt's key hides under the obstacle on purpose.
TEST(WorldContent, hidden_things_stay_clickable_and_above_the_panel) {
  const auto sizes = SpriteSizes();
  std::vector<std::string> faults;
  for (const auto& [level, list] : TheWorld().scenes) {
    struct Box {
      std::string name;
      float x0, y0, x1, y1;
    };
    std::vector<Box> boxes;
    for (std::size_t i = 0; i < list->size(); ++i) {
      const ObjectBlock& o = (*list)[i];
      if (o.kind != "item" && o.kind != "tool" && !(o.kind == "key" && i >= 12)) continue;
      const auto it = sizes.find("levels/" + level + "/ho/" + o.name);
      if (it == sizes.end()) continue;
      const auto [w, h] = it->second;
      const Box b{o.name, o.x - w / 2, o.y - h / 2, o.x + w / 2, o.y + h / 2};
      if (b.y1 > kPanelTop - 24 || b.x0 < 0 || b.x1 > 1024 || b.y0 < 0) {
        faults.push_back(level + " scene: " + o.name + " reaches the panel's shadow or leaves the picture");
      }
      for (const Box& a : boxes) {
        const float shared = std::max(0.0f, std::min(a.x1, b.x1) - std::max(a.x0, b.x0)) *
                             std::max(0.0f, std::min(a.y1, b.y1) - std::max(a.y0, b.y0));
        if (shared > 0.25f * w * h) faults.push_back(level + " scene: " + o.name + " covers " + a.name);
      }
      boxes.push_back(b);
    }
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// A picture's opacity as the scene draws it: the alpha of every pixel, rows
// from the top, read from the image archive. Empty when the picture is not
// there (the archive test reports that).
struct Opacity {
  int w = 0, h = 0;
  std::vector<uint8_t> alpha;
  // Solid enough at the screen point (sx, sy) for a picture centred on (cx, cy).
  bool solid_at(float cx, float cy, int sx, int sy) const {
    const int x = sx - static_cast<int>(cx - static_cast<float>(w) / 2);
    const int y = sy - static_cast<int>(cy - static_cast<float>(h) / 2);
    return x >= 0 && y >= 0 && x < w && y < h && alpha[static_cast<std::size_t>(y * w + x)] >= 128;
  }
};

Opacity OpacityOf(const std::string& file) {
  Opacity o;
  std::string bytes;
  if (!ReadGameFile(file, &bytes)) return o;
  SDL_RWops* in = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  SDL_Surface* decoded = in != nullptr ? IMG_LoadPNG_RW(in) : nullptr;
  if (in != nullptr) SDL_RWclose(in);
  if (decoded == nullptr) return o;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(decoded);
  if (rgba == nullptr) return o;
  o.w = rgba->w;
  o.h = rgba->h;
  o.alpha.resize(static_cast<std::size_t>(o.w * o.h));
  for (int y = 0; y < o.h; ++y) {
    const auto* row = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
    for (int x = 0; x < o.w; ++x) o.alpha[static_cast<std::size_t>(y * o.w + x)] = row[x * 4 + 3];
  }
  SDL_FreeSurface(rgba);
  return o;
}

// Each thing of a hunt, as the hunt draws the scene: inside the picture and
// above the panel, with at least half of its solid pixels left showing by the
// things drawn after it, the scene's front layer, the obstacle (which only
// the first hunt's key may hide under) and the tool lying on top.
TEST(WorldContent, every_thing_of_a_hunt_shows_enough_of_itself_to_be_seen) {
  ASSERT_TRUE(OpenArchive(kData + "images.dat", kImageArchiveKey));
  std::vector<std::string> faults;
  for (const auto& [level, list] : TheWorld().scenes) {
    const BlockTable& s = *list;
    const std::string folder = "images/levels/" + level + "/ho/";
    std::map<std::string, Opacity> pictures;
    auto picture = [&](const std::string& name) -> const Opacity& {
      auto it = pictures.find(name);
      if (it == pictures.end()) it = pictures.emplace(name, OpacityOf(folder + name + ".png")).first;
      return it->second;
    };
    struct Layer {
      std::string name;
      const Opacity* pic;
      float x, y;
      std::size_t index;  // place in the list; past the end for the layers over all
    };
    std::vector<Layer> over_all = {{"h_front", &picture("h_front"), 512.0f, 384.0f, s.size()}};
    const Opacity& front = picture("h_front");
    over_all[0].x = static_cast<float>(front.w) / 2;
    over_all[0].y = static_cast<float>(front.h) / 2;
    std::size_t obstacle = s.size();
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i].kind == "obstacle") {
        obstacle = over_all.size();
        over_all.push_back({s[i].name, &picture("lev_" + ShortOf(s[i].name).substr(1)), s[i].x, s[i].y, s.size()});
      } else if (s[i].kind == "tool") {
        over_all.push_back({s[i].name, &picture(s[i].name), s[i].x, s[i].y, s.size()});
      }
    }
    for (std::size_t first = 0; first < std::min<std::size_t>(24, s.size()); first += 12) {
      const std::size_t end = std::min(first + 12, s.size());
      std::vector<Layer> drawn;  // what this hunt draws, in order
      for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i].kind == "item" || (s[i].kind == "key" && i >= first && i < end))
          drawn.push_back({s[i].name, &picture(s[i].name), s[i].x, s[i].y, i});
      }
      for (std::size_t i = first; i < end; ++i) {
        const ObjectBlock& o = s[i];
        if (o.kind != "item" && o.kind != "key") continue;
        const Opacity& p = picture(o.name);
        if (p.alpha.empty()) continue;  // reported by the archive test
        const std::string what = level + " scene: " + o.name;
        const float x0 = o.x - static_cast<float>(p.w) / 2, y0 = o.y - static_cast<float>(p.h) / 2;
        if (x0 < 0 || y0 < 0 || x0 + static_cast<float>(p.w) > 1024 || o.y + static_cast<float>(p.h) / 2 >= kPanelTop) {
          faults.push_back(what + " leaves the picture or reaches the panel");
        }
        const bool under_obstacle = first == 0 && o.kind == "key";
        int solid = 0, shown = 0;
        std::map<std::string, int> hidden_by;  // to name the worst cover
        for (int py = 0; py < p.h; ++py) {
          for (int px = 0; px < p.w; ++px) {
            if (p.alpha[static_cast<std::size_t>(py * p.w + px)] < 128) continue;
            ++solid;
            const int sx = static_cast<int>(x0) + px, sy = static_cast<int>(y0) + py;
            const Layer* cover = nullptr;
            for (const Layer& l : drawn)
              if (l.index > i && l.pic->solid_at(l.x, l.y, sx, sy)) cover = &l;
            for (std::size_t k = 0; k < over_all.size(); ++k)
              if (!(under_obstacle && k == obstacle) && over_all[k].pic->solid_at(over_all[k].x, over_all[k].y, sx, sy))
                cover = &over_all[k];
            if (cover == nullptr) ++shown;
            else ++hidden_by[cover->name];
          }
        }
        if (solid == 0 || shown * 2 < solid) {
          faults.push_back(what + " shows " + std::to_string(shown) + " of its " + std::to_string(solid) +
                           " solid pixels in hunt " + std::to_string(first / 12) + ", the most under " +
                           (hidden_by.empty() ? "nothing" : std::max_element(hidden_by.begin(), hidden_by.end(), [](const auto& a, const auto& b) { return a.second < b.second; })->first));
        }
      }
    }
  }
  CloseArchive();
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

TEST(WorldContent, every_picture_a_list_names_is_in_the_archive) {
  const World& w = TheWorld();
  ASSERT_TRUE(OpenArchive(kData + "images.dat", kImageArchiveKey));
  std::map<std::string, std::set<std::string>> folders;
  auto has = [&](const std::string& folder, const std::string& name) {
    if (!folders.count(folder)) {
      std::set<std::string>& names = folders[folder];
      for (const std::string& file : ListGameFiles("images/" + folder + "/*", 2049)) {
        names.insert(file.substr(0, file.rfind('.')));
      }
    }
    return folders[folder].count(name) > 0;
  };
  std::vector<std::string> missing;
  for (const auto& [level, list] : w.levels) {
    for (const ObjectBlock& o : *list) {
      if (NeedsImage(level, o) && !has("levels/" + level, o.name)) missing.push_back("levels/" + level + "/" + o.name);
    }
  }
  for (const AddedObject& a : w.added) {
    if (a.has_image && !has("levels/" + a.level, a.name)) missing.push_back("levels/" + a.level + "/" + a.name);
  }
  for (const auto& [level, list] : w.scenes) {
    const std::string folder = "levels/" + level + "/ho";
    if (!has(folder, "h_bg")) missing.push_back(folder + "/h_bg");
    for (const ObjectBlock& o : *list) {
      if ((o.kind == "key" || o.kind == "item" || o.kind == "tool") && !has(folder, o.name)) {
        missing.push_back(folder + "/" + o.name);
      }
    }
  }
  CloseArchive();
  EXPECT_TRUE(missing.empty()) << missing.size() << " pictures missing:" << Joined(missing);
}

TEST(WorldContent, every_text_the_world_shows_is_in_the_string_file) {
  const World& w = TheWorld();
  const std::string bytes = ReadAll(kData + "text/strings.cfg");
  const auto entries = std::count(bytes.begin(), bytes.end(), '"') / 2;
  EXPECT_LE(entries, static_cast<long>(LOC_CAPACITY)) << "the string table holds 1025 entries";
  auto strings = std::make_unique<tlocfile>();
  strings->parse(bytes);

  std::set<std::string> items;
  std::istringstream item_list(ReadAll(kContent + "items.txt"));
  for (std::string line; std::getline(item_list, line);) {
    if (!line.empty() && line[0] != '#') items.insert(line);
  }
  std::set<std::string> keys = {"crash", "inventory", "clues", "wrong1", "wrong2", "wrong3", "wrong4", "wrong5"};
  std::vector<std::string> faults;
  for (const std::string& item : items) keys.insert("inv_" + item);
  auto know_item = [&](const std::string& where, const std::string& item) {
    if (!items.count(item)) faults.push_back(where + " gives " + item + ", which is no inventory item");
  };
  for (const auto& [level, list] : w.levels) {
    for (const ObjectBlock& o : *list) {
      if (o.kind == "item" || o.kind == "hobject") know_item(level, ShortOf(o.name));
      if (o.kind == "puzzle") keys.insert("puz_" + o.name);
    }
  }
  for (const AddedObject& a : w.added) {
    if (a.kind == "item" || a.kind == "hobject") know_item(a.level, ShortOf(a.name));
    if (a.kind == "puzzle") keys.insert("puz_" + a.name);
  }
  for (const auto& [level, list] : w.scenes) {
    const BlockTable& s = *list;
    for (std::size_t i = 0; i < s.size() && i < 24; ++i) {
      if (s[i].kind == "key") keys.insert("ho_" + ShortOf(s[i].name));
      // Group 0 lists every thing by name; group 1 shows one line.
      if (i < 12 && (s[i].kind == "key" || s[i].kind == "item")) keys.insert(s[i].name);
    }
  }
  for (const std::string& key : keys) {
    if (!strings->contains(key)) faults.push_back("no text " + key);
  }
  // The name lock spells its answer on seven wheels of the alphabet text.
  const std::string name = strings->get("lodge_q_name"), alphabet = strings->get("lodge_q_alphabet");
  if (name.size() != 7 || name.find_first_not_of(alphabet) != std::string::npos) {
    faults.push_back("lodge_q_name is not seven letters of lodge_q_alphabet");
  }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

}  // namespace
