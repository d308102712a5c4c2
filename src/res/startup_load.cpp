// The worker of the start-up load and the main thread's side of it.
#include "res/startup_load.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/archive.h"
#include "engine/audio.h"
#include "engine/log.h"
#include "engine/render.h"
#include "engine/save_file.h"
#include "res/files.h"
#include "res/images.h"
#include "res/sounds.h"

namespace {

// One step of the load, in the order the main thread takes them.
struct Piece {
  enum class Kind {
    Picture,      // one decoded picture of an image folder
    ImageFolder,  // a folder the worker could not read: loaded on the main thread
    Fonts,
    Effects,      // the whole effect folder, decoded
  };
  Kind kind = Kind::Picture;
  std::string dir;
  PrefetchedImage picture;
  std::vector<DecodedEffect> effects;
};

struct LoadState {
  std::mutex lock;
  std::condition_variable changed;
  std::thread worker;
  bool quit = false;
  bool worker_done = true;
  // The main thread has its first frame: the rest may load. Until then the
  // worker keeps off the processor, which on a machine with a core or two
  // would otherwise hold back the very frame it loaded the picture for.
  bool go_on = false;
  std::vector<Piece> pieces;  // what the worker has finished, in order
  std::size_t taken = 0;      // pieces the main thread has put in the registries
  std::size_t total = 0;      // pieces the plan makes; 0 when no load is under way

  ~LoadState() {
    {
      const std::lock_guard<std::mutex> hold(lock);
      quit = true;
      changed.notify_all();
    }
    if (worker.joinable()) worker.join();
  }
};

LoadState g_load;

// False when the load was stopped.
bool Publish(Piece piece) {
  const std::lock_guard<std::mutex> hold(g_load.lock);
  if (g_load.quit) return false;
  g_load.pieces.push_back(std::move(piece));
  g_load.changed.notify_all();
  return true;
}

bool Stopped() {
  const std::lock_guard<std::mutex> hold(g_load.lock);
  return g_load.quit;
}

// False when the load was stopped while waiting.
bool WaitToGoOn() {
  std::unique_lock<std::mutex> hold(g_load.lock);
  g_load.changed.wait(hold, [] { return g_load.go_on || g_load.quit; });
  return !g_load.quit;
}

void LetTheRestLoad() {
  const std::lock_guard<std::mutex> hold(g_load.lock);
  g_load.go_on = true;
  g_load.changed.notify_all();
}

void Work(StartupLoadPlan plan, uint32_t format, std::vector<std::string> effect_files) {
  ArchiveReader reader;
  const bool readable = reader.open(plan.archive, plan.password);
  std::string bytes;
  // The splash's first picture, before anything else.
  const std::size_t slash = plan.first_picture.rfind('/') + 1;
  PrefetchedImage first{plan.first_picture.substr(slash), nullptr};
  if (readable && reader.read(plan.first_picture, &bytes))
    first.image = DecodeImage(bytes.data(), bytes.size(), format, nullptr);
  if (!Publish(Piece{Piece::Kind::Picture, plan.first_picture.substr(0, slash), std::move(first), {}}) ||
      !WaitToGoOn())
    return;
  for (const std::string& dir : plan.image_folders) {
    if (!readable) {
      if (!Publish(Piece{Piece::Kind::ImageFolder, dir, {}, {}})) return;
      continue;
    }
    for (const std::string& file : reader.list(dir + "*.png", TF_list::capacity)) {
      if (dir + file == plan.first_picture) continue;
      PrefetchedImage picture{file, nullptr};
      if (reader.read(dir + file, &bytes))
        picture.image = DecodeImage(bytes.data(), bytes.size(), format, nullptr);
      if (!Publish(Piece{Piece::Kind::Picture, dir, std::move(picture), {}})) return;
    }
  }
  if (!Publish(Piece{Piece::Kind::Fonts, plan.font_folder, {}, {}})) return;
  std::vector<DecodedEffect> effects;
  for (const std::string& file : effect_files) {
    if (Stopped()) return;
    DecodedEffect effect{file, false, {}};
    // Decoded whether or not the game has sound: a silent game drops them.
    if (ReadWholeFile(plan.effect_folder + file, &bytes, nullptr))
      effect.decoded = DecodeSound(std::move(bytes), &effect.sound);
    effects.push_back(std::move(effect));
  }
  Publish(Piece{Piece::Kind::Effects, plan.effect_folder, {}, std::move(effects)});
}

StartupLoadPlan g_plan;
uint32_t g_texture_format = 0;  // what the worker decodes in

// Puts one piece into its registry (main thread).
void Apply(Piece& piece, const StartupLoadPlan& plan) {
  switch (piece.kind) {
    case Piece::Kind::Picture: {
      // A picture the worker could not make is read again from the archive,
      // which reports what is wrong with it.
      const bool reread =
          piece.picture.image == nullptr || g_texture_format != TexturePixelFormat();
      if (reread) OpenArchive(plan.archive, plan.password);
      std::vector<PrefetchedImage> one;
      one.push_back(std::move(piece.picture));
      images.load_decoded_dir(piece.dir, one);
      if (reread) CloseArchive();
      break;
    }
    case Piece::Kind::ImageFolder:
      OpenArchive(plan.archive, plan.password);
      images.load_dir(piece.dir);
      CloseArchive();
      break;
    case Piece::Kind::Fonts:
      fonts.load_dir(piece.dir);
      break;
    case Piece::Kind::Effects:
      if (plan.before_effects) plan.before_effects();
      sounds.load_decoded(piece.dir, piece.effects);
      break;
  }
}

// The next piece if the worker has finished it; waits for it when `wait`.
bool TakeNext(bool wait, Piece* out) {
  std::unique_lock<std::mutex> hold(g_load.lock);
  if (g_load.taken >= g_load.total) return false;
  if (wait)
    g_load.changed.wait(hold, [] { return g_load.taken < g_load.pieces.size() || g_load.worker_done; });
  if (g_load.taken >= g_load.pieces.size()) return false;
  *out = std::move(g_load.pieces[g_load.taken]);
  g_load.taken += 1;
  return true;
}

void JoinWhenDone() {
  bool done = false;
  {
    const std::lock_guard<std::mutex> hold(g_load.lock);
    done = g_load.taken >= g_load.total;
  }
  if (!done) return;
  StopStartupLoad();
  LogLine("Start-up: everything is loaded", true);
}

}  // namespace

void BeginStartupLoad(const StartupLoadPlan& plan, uint32_t texture_format) {
  StopStartupLoad();
  g_plan = plan;
  g_texture_format = texture_format;
  std::vector<std::string> effect_files;
  for (const std::string& file : list_files(plan.effect_folder + "*.ogg"))
    effect_files.push_back(file);
  {
    const std::lock_guard<std::mutex> hold(g_load.lock);
    g_load.quit = false;
    g_load.worker_done = false;
    g_load.go_on = false;
    g_load.pieces.clear();
    g_load.taken = 0;
    // Pictures are counted as the worker lists them; until it has, the
    // total only says that the load is under way.
    g_load.total = SIZE_MAX;
  }
  g_load.worker = std::thread([plan, texture_format,
                               effect_files = std::move(effect_files)]() mutable {
    Work(std::move(plan), texture_format, std::move(effect_files));
    const std::lock_guard<std::mutex> hold(g_load.lock);
    g_load.worker_done = true;
    g_load.total = g_load.pieces.size();
    g_load.changed.notify_all();
  });
}

bool StartupLoadBegun() {
  const std::lock_guard<std::mutex> hold(g_load.lock);
  return g_load.total > 0;
}

void TakeFirstStartupPicture() {
  Piece piece;
  if (TakeNext(true, &piece)) Apply(piece, g_plan);
}

bool StartupLoadPending() {
  const std::lock_guard<std::mutex> hold(g_load.lock);
  return g_load.taken < g_load.total;
}

void ContinueStartupLoad(double budget_ms) {
  LetTheRestLoad();
  const auto start = std::chrono::steady_clock::now();
  const auto budget = std::chrono::duration<double, std::milli>(budget_ms);
  Piece piece;
  while (std::chrono::steady_clock::now() - start < budget && TakeNext(false, &piece))
    Apply(piece, g_plan);
  JoinWhenDone();
}

void FinishStartupLoad() {
  LetTheRestLoad();
  Piece piece;
  while (TakeNext(true, &piece)) Apply(piece, g_plan);
  JoinWhenDone();
}

void StopStartupLoad() {
  {
    const std::lock_guard<std::mutex> hold(g_load.lock);
    g_load.quit = true;
    g_load.changed.notify_all();
  }
  if (g_load.worker.joinable()) g_load.worker.join();
  std::vector<Piece> dropped;
  const std::lock_guard<std::mutex> hold(g_load.lock);
  dropped = std::move(g_load.pieces);
  g_load.pieces.clear();
  g_load.taken = 0;
  g_load.total = 0;
  g_load.worker_done = true;
}
