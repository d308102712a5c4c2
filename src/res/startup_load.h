// The start-up load behind the splash, so that the splash shows at once. A
// worker thread, begun as the program starts, reads and decodes the
// splash's first picture before anything else, then the pictures of the
// permanent folders and the sound effects; the main thread puts them into
// the registries piece by piece, while the splash plays, in the order a load
// all at once would have, so the registries end exactly the same. The fonts,
// which are few and make their textures as they load, are loaded on the
// main thread in their turn. Textures are made on the main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct StartupLoadPlan {
  std::string archive;   // the image archive's path and password
  std::string password;
  std::vector<std::string> image_folders;  // "images/common/", in load order
  std::string first_picture;               // "images/splash/pub.png", decoded first
  std::string font_folder;                 // "data/fonts/"
  std::string effect_folder;               // "data/audio/effects/", read from the disk
  // Run on the main thread just before the effects are put in: what they
  // need first (the sound system).
  std::function<void()> before_effects;
};

// Starts the worker on the plan (main thread). Its pictures are decoded in
// `texture_format`; a picture the renderer turns out not to take in that
// format is read again when it is put in.
void BeginStartupLoad(const StartupLoadPlan& plan, uint32_t texture_format);
// Whether a load was begun and not stopped.
bool StartupLoadBegun();
// Puts the plan's first picture into the registry, waiting for it. The
// worker then waits in turn until the rest is asked for, below, so that it
// does not compete with the first frame for the processor.
void TakeFirstStartupPicture();
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
