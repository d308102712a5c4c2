// The worker that decodes the pictures of neighbouring levels ahead.
#include "res/image_prefetch.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "engine/archive.h"
#include "res/fixed_list.h"

namespace {

struct Folder {
  std::string name;
  std::vector<PrefetchedImage> images;
};

struct PrefetchState {
  std::mutex lock;
  std::condition_variable changed;
  std::thread worker;
  bool quit = false;
  std::string archive;
  std::string password;
  std::string identity;
  uint32_t format = 0;
  std::deque<std::string> waiting;  // folders still to decode, in order
  std::string busy;                 // the folder the worker decodes now
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

void Work() {
  ArchiveReader reader;
  std::string reader_file;
  std::unique_lock<std::mutex> hold(g_prefetch.lock);
  for (;;) {
    g_prefetch.changed.wait(hold, [] { return g_prefetch.quit || !g_prefetch.waiting.empty(); });
    if (g_prefetch.quit) return;
    Folder folder{g_prefetch.waiting.front(), {}};
    g_prefetch.waiting.pop_front();
    g_prefetch.busy = folder.name;
    const std::string archive = g_prefetch.archive;
    const std::string password = g_prefetch.password;
    const uint32_t format = g_prefetch.format;
    hold.unlock();

    bool dropped = false;
    if (reader_file != archive) {
      reader_file = reader.open(archive, password) ? archive : std::string();
    }
    std::vector<std::string> files;
    if (!reader_file.empty()) files = reader.list(folder.name + "*.png", TF_list::capacity);
    std::string bytes;
    for (const std::string& file : files) {
      {
        // A folder the player no longer walks towards is left half done.
        const std::lock_guard<std::mutex> check(g_prefetch.lock);
        if (g_prefetch.quit || g_prefetch.busy != folder.name) {
          dropped = true;
          break;
        }
      }
      PrefetchedImage image{file, nullptr};
      if (reader.read(folder.name + file, &bytes))
        image.image = DecodeImage(bytes.data(), bytes.size(), format, nullptr);
      folder.images.push_back(std::move(image));
    }

    hold.lock();
    if (!dropped && g_prefetch.busy == folder.name && !files.empty())
      g_prefetch.ready.push_back(std::move(folder));
    g_prefetch.busy.clear();
    g_prefetch.changed.notify_all();
    if (!folder.images.empty()) {
      // Freeing a dropped folder's pixels needs no lock.
      hold.unlock();
      folder.images.clear();
      hold.lock();
    }
  }
}

}  // namespace

void PrefetchImageFolders(const std::string& archive, const std::string& password,
                          const std::string& identity, uint32_t format,
                          const std::vector<std::string>& folders) {
  std::vector<Folder> dropped;
  {
    const std::lock_guard<std::mutex> hold(g_prefetch.lock);
    if (g_prefetch.archive != archive || g_prefetch.identity != identity ||
        g_prefetch.format != format) {
      dropped = std::move(g_prefetch.ready);
      g_prefetch.ready.clear();
      g_prefetch.busy.clear();
    }
    g_prefetch.archive = archive;
    g_prefetch.password = password;
    g_prefetch.identity = identity;
    g_prefetch.format = format;
    g_prefetch.waiting.clear();
    for (std::size_t i = 0; i < g_prefetch.ready.size();) {
      bool keep = false;
      for (const std::string& f : folders) keep = keep || f == g_prefetch.ready[i].name;
      if (keep) {
        ++i;
      } else {
        dropped.push_back(std::move(g_prefetch.ready[i]));
        g_prefetch.ready.erase(g_prefetch.ready.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    bool busy_wanted = false;
    for (const std::string& f : folders) {
      bool have = f == g_prefetch.busy;
      busy_wanted = busy_wanted || have;
      for (const Folder& r : g_prefetch.ready) have = have || r.name == f;
      if (!have) g_prefetch.waiting.push_back(f);
    }
    if (!busy_wanted) g_prefetch.busy.clear();
    if (!g_prefetch.worker.joinable() && !g_prefetch.waiting.empty()) {
      g_prefetch.quit = false;
      g_prefetch.worker = std::thread(Work);
    }
  }
  g_prefetch.changed.notify_all();
}

bool TakePrefetchedFolder(const std::string& identity, const std::string& folder,
                          std::vector<PrefetchedImage>* out) {
  out->clear();
  std::unique_lock<std::mutex> hold(g_prefetch.lock);
  if (g_prefetch.identity != identity) return false;
  g_prefetch.changed.wait(hold, [&] { return g_prefetch.busy != folder; });
  for (auto it = g_prefetch.ready.begin(); it != g_prefetch.ready.end(); ++it) {
    if (it->name != folder) continue;
    *out = std::move(it->images);
    g_prefetch.ready.erase(it);
    return true;
  }
  // The level is decoded on the spot: the worker stops, so that it does not
  // take the second core from that, and is given the new neighbours after.
  g_prefetch.waiting.clear();
  g_prefetch.busy.clear();
  return false;
}

bool PrefetchedFolderReady(const std::string& folder) {
  const std::lock_guard<std::mutex> hold(g_prefetch.lock);
  for (const Folder& r : g_prefetch.ready)
    if (r.name == folder) return true;
  return false;
}

void StopImagePrefetch() {
  {
    const std::lock_guard<std::mutex> hold(g_prefetch.lock);
    g_prefetch.quit = true;
    g_prefetch.waiting.clear();
    g_prefetch.busy.clear();
  }
  g_prefetch.changed.notify_all();
  if (g_prefetch.worker.joinable()) g_prefetch.worker.join();
  std::vector<Folder> dropped;
  {
    const std::lock_guard<std::mutex> hold(g_prefetch.lock);
    dropped = std::move(g_prefetch.ready);
    g_prefetch.ready.clear();
    g_prefetch.quit = false;
    g_prefetch.archive.clear();
    g_prefetch.identity.clear();
    g_prefetch.format = 0;
  }
}
