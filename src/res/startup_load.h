// The start-up load in two steps, so that the splash shows at once. The
// caller loads what the first frame draws; the rest — the pictures of the
// permanent folders and the sound effects — is read and decoded on a worker
// thread while the splash plays, and the main thread puts it into the
// registries piece by piece in the order a load all at once would have, so
// the registries end exactly the same. The fonts, which are few and make
// their textures as they load, are loaded on the main thread in their turn.
// Textures are made on the main thread only.
#pragma once

#include <string>
#include <vector>

struct StartupLoadPlan {
  std::string archive;   // the image archive's path and password
  std::string password;
  std::vector<std::string> image_folders;  // "images/common/", in load order
  std::string skip_file;                   // a picture loaded already ("images/splash/pub.png")
  std::string font_folder;                 // "data/fonts/"
  std::string effect_folder;               // "data/audio/effects/", read from the disk
};

// Starts the worker on the plan (main thread, textures' format known).
void BeginStartupLoad(const StartupLoadPlan& plan);
// Whether some of the plan is not in the registries yet.
bool StartupLoadPending();
// Puts what the worker has finished into the registries, in order, for
// about `budget_ms` of the main thread's time at most; a piece begun is
// finished.
void ContinueStartupLoad(double budget_ms);
// Puts the rest into the registries, waiting for the worker where it has
// not finished yet.
void FinishStartupLoad();
// Stops the worker and drops what it decoded (shutdown, tests).
void StopStartupLoad();
