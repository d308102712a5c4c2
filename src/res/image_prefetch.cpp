// The worker that decodes the pictures of neighbouring levels ahead, and
// helps the main thread with a level entered before they were ready.
#include "res/image_prefetch.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/archive.h"
#include "res/fixed_list.h"

namespace {

struct Folder {
  std::string name;
  std::vector<PrefetchedImage> images;  // the listing; pixels as they are decoded
  std::vector<bool> finished;           // decoded (or failed) and stored
  bool listed = false;
  bool wanted = false;      // the main thread is entering it and takes the pictures as they come
  std::size_t next = 0;     // the first picture nobody decodes yet
  std::size_t decoding = 0; // pictures being decoded now, outside the lock

  void list(std::vector<std::string> files) {
    images.clear();
    for (std::string& file : files) images.push_back(PrefetchedImage{std::move(file), nullptr});
    finished.assign(images.size(), false);
    listed = true;
  }
  bool all_started() const { return next == images.size(); }
};

struct PrefetchState {
  std::mutex lock;
  std::condition_variable changed;
  std::thread worker;
  bool quit = false;
  std::string archive;  // "" when the worker cannot read the archive (one in memory)
  std::string password;
  std::string identity;
  uint32_t format = 0;
  std::deque<std::string> waiting;  // folders still to decode, in order
  std::unique_ptr<Folder> busy;     // the folder decoded now
  // Changes whenever `busy` is replaced or dropped, so that a picture
  // finished for a folder no longer wanted is not stored in another.
  uint64_t serial = 1;
  uint64_t helpless = 0;  // the serial of a folder the worker could not open the archive for
  std::vector<Folder> ready;

  // A game that ends without stopping the worker still lets it finish its
  // picture and leave.
  ~PrefetchState() {
    {
      const std::lock_guard<std::mutex> hold(lock);
      quit = true;
    }
    changed.notify_all();
    if (worker.joinable()) worker.join();
  }
};

PrefetchState g_prefetch;

// Ends the folder decoded now; its pixels are handed to the caller to free
// outside the lock.
std::unique_ptr<Folder> DropBusy() {
  ++g_prefetch.serial;
  return std::move(g_prefetch.busy);
}

bool WorkerCanHelp() {
  const PrefetchState& g = g_prefetch;
  return g.busy != nullptr && !g.archive.empty() && g.helpless != g.serial &&
         (!g.busy->listed || !g.busy->all_started());
}

// Decodes up to `most` pictures of the folder decoded now, one at a time,
// stopping early when none is left to start or the folder is dropped.
// Called and returns with the lock held; `read` gets a member's bytes.
template <typename Read>
void DecodePictures(std::unique_lock<std::mutex>& hold, uint64_t serial, std::size_t most,
                    Read read) {
  PrefetchState& g = g_prefetch;
  std::string bytes;
  for (; most > 0 && !g.quit && g.serial == serial && !g.busy->all_started(); --most) {
    const std::size_t i = g.busy->next++;
    ++g.busy->decoding;
    const std::string name = g.busy->name + g.busy->images[i].file;
    const uint32_t format = g.format;
    hold.unlock();
    DecodedImagePtr image;
    if (read(name, &bytes)) image = DecodeImage(bytes.data(), bytes.size(), format, nullptr);
    hold.lock();
    if (g.serial != serial) break;
    g.busy->images[i].image = std::move(image);
    g.busy->finished[i] = true;
    --g.busy->decoding;
    g.changed.notify_all();
  }
}

void Work() {
  PrefetchState& g = g_prefetch;
  ArchiveReader reader;
  std::string reader_file;
  std::unique_lock<std::mutex> hold(g.lock);
  for (;;) {
    g.changed.wait(hold, [&] {
      return g.quit || (g.busy == nullptr && !g.waiting.empty()) || WorkerCanHelp();
    });
    if (g.quit) return;
    if (g.busy == nullptr) {
      g.busy = std::make_unique<Folder>();
      g.busy->name = g.waiting.front();
      g.waiting.pop_front();
      ++g.serial;
    }
    const uint64_t serial = g.serial;
    const std::string folder = g.busy->name;
    const bool listed = g.busy->listed;
    const std::string archive = g.archive;
    const std::string password = g.password;
    hold.unlock();

    if (reader_file != archive) reader_file = reader.open(archive, password) ? archive : std::string();
    std::vector<std::string> files;
    if (!listed && !reader_file.empty()) files = reader.list(folder + "*.png", TF_list::capacity);

    hold.lock();
    if (g.quit) return;
    if (g.serial != serial) continue;
    std::unique_ptr<Folder> dropped;
    if (reader_file.empty()) {
      // The main thread decodes a folder it waits for alone; one decoded
      // ahead is given up.
      if (g.busy->wanted)
        g.helpless = serial;
      else
        dropped = DropBusy();
    } else if (!g.busy->listed) {
      if (files.empty())
        dropped = DropBusy();
      else
        g.busy->list(std::move(files));
    }
    if (g.busy != nullptr && g.serial == serial && g.helpless != serial) {
      DecodePictures(hold, serial, SIZE_MAX, [&](const std::string& name, std::string* bytes) {
        return reader.read(name, bytes);
      });
      if (g.serial == serial && !g.busy->wanted && g.busy->all_started() && g.busy->decoding == 0) {
        g.ready.push_back(std::move(*g.busy));
        g.busy.reset();
        ++g.serial;
      }
    }
    g.changed.notify_all();
    if (dropped != nullptr) {
      hold.unlock();
      dropped.reset();
      hold.lock();
    }
  }
}

void StartWorker() {
  if (!g_prefetch.worker.joinable()) {
    g_prefetch.quit = false;
    g_prefetch.worker = std::thread(Work);
  }
}

}  // namespace

void PrefetchImageFolders(const std::string& archive, const std::string& password,
                          const std::string& identity, uint32_t format,
                          const std::vector<std::string>& folders) {
  PrefetchState& g = g_prefetch;
  std::vector<Folder> dropped;
  std::unique_ptr<Folder> dropped_busy;
  {
    const std::lock_guard<std::mutex> hold(g.lock);
    if (g.archive != archive || g.identity != identity || g.format != format) {
      dropped = std::move(g.ready);
      g.ready.clear();
      dropped_busy = DropBusy();
    }
    g.archive = archive;
    g.password = password;
    g.identity = identity;
    g.format = format;
    g.waiting.clear();
    for (std::size_t i = 0; i < g.ready.size();) {
      bool keep = false;
      for (const std::string& f : folders) keep = keep || f == g.ready[i].name;
      if (keep) {
        ++i;
      } else {
        dropped.push_back(std::move(g.ready[i]));
        g.ready.erase(g.ready.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    bool busy_wanted = false;
    for (const std::string& f : folders) {
      bool have = g.busy != nullptr && f == g.busy->name;
      busy_wanted = busy_wanted || have;
      for (const Folder& r : g.ready) have = have || r.name == f;
      if (!have) g.waiting.push_back(f);
    }
    if (!busy_wanted && g.busy != nullptr) dropped_busy = DropBusy();
    if (!g.waiting.empty()) StartWorker();
  }
  g.changed.notify_all();
}

void DecodeArchiveFolder(const std::string& identity, const std::string& folder, uint32_t format,
                         const std::function<bool(PrefetchedImage&)>& take) {
  PrefetchState& g = g_prefetch;
  std::string archive;
  std::string password;
  const bool shared = OpenArchiveSource(&archive, &password);
  std::vector<Folder> dropped;
  std::unique_ptr<Folder> dropped_busy;
  std::unique_lock<std::mutex> hold(g.lock);
  if (g.identity != identity || g.format != format || (shared && g.archive != archive)) {
    dropped = std::move(g.ready);
    g.ready.clear();
    dropped_busy = DropBusy();
    g.identity = identity;
    g.format = format;
    g.archive = shared ? archive : std::string();
    g.password = password;
  }
  g.waiting.clear();

  for (auto it = g.ready.begin(); it != g.ready.end(); ++it) {
    if (it->name != folder) continue;
    std::vector<PrefetchedImage> pictures = std::move(it->images);
    g.ready.erase(it);
    hold.unlock();
    for (PrefetchedImage& picture : pictures) {
      if (!take(picture)) break;
      // Its pixels are in a texture now: freed at once, not with the folder.
      picture.image.reset();
    }
    return;
  }

  if (g.busy == nullptr || g.busy->name != folder) {
    dropped_busy = DropBusy();
    g.busy = std::make_unique<Folder>();
    g.busy->name = folder;
  }
  Folder& entering = *g.busy;
  const uint64_t serial = g.serial;
  entering.wanted = true;
  if (!entering.listed) entering.list(ListGameFiles(folder + "*.png", TF_list::capacity));
  if (!g.archive.empty()) StartWorker();
  g.changed.notify_all();
  // What the worker decoded for a level the player did not walk to is
  // freed before this one is decoded, not after, so that both never take
  // memory at once.
  if (dropped_busy != nullptr || !dropped.empty()) {
    hold.unlock();
    dropped_busy.reset();
    dropped.clear();
    hold.lock();
  }

  // The pictures decoded so far in the listing's order become textures at
  // once, between this thread's own pictures, so that making them overlaps
  // the worker's decoding and few pixels wait.
  const std::size_t count = entering.images.size();
  std::size_t handed = 0;
  bool taking = true;
  std::vector<PrefetchedImage> batch;
  while (handed < count) {
    while (handed < count && entering.finished[handed])
      batch.push_back(std::move(entering.images[handed++]));
    if (!batch.empty()) {
      hold.unlock();
      for (PrefetchedImage& picture : batch) {
        taking = taking && take(picture);
        picture.image.reset();
      }
      batch.clear();
      hold.lock();
      if (!taking) {
        // The rest is refused: nobody starts it, and what is being decoded
        // is thrown away as it comes.
        for (std::size_t i = entering.next; i < count; ++i) entering.finished[i] = true;
        entering.next = count;
      }
    } else if (!entering.all_started()) {
      DecodePictures(hold, serial, 1, [](const std::string& name, std::string* bytes) {
        return ReadArchiveMemberQuietly(name, bytes);
      });
    } else {
      g.changed.wait(hold);
    }
  }
  std::unique_ptr<Folder> done = DropBusy();
  g.changed.notify_all();
  hold.unlock();
}

bool PrefetchedFolderReady(const std::string& folder) {
  const std::lock_guard<std::mutex> hold(g_prefetch.lock);
  for (const Folder& r : g_prefetch.ready)
    if (r.name == folder) return true;
  return false;
}

void StopImagePrefetch() {
  PrefetchState& g = g_prefetch;
  std::unique_ptr<Folder> dropped_busy;
  {
    const std::lock_guard<std::mutex> hold(g.lock);
    g.quit = true;
    g.waiting.clear();
    dropped_busy = DropBusy();
  }
  g.changed.notify_all();
  if (g.worker.joinable()) g.worker.join();
  std::vector<Folder> dropped;
  {
    const std::lock_guard<std::mutex> hold(g.lock);
    dropped = std::move(g.ready);
    g.ready.clear();
    g.quit = false;
    g.archive.clear();
    g.identity.clear();
    g.format = 0;
  }
}
