// Pictures of the levels next door, decoded ahead on a worker thread while
// the player looks around, so that walking there only makes the textures;
// a level entered before its pictures are ready is decoded by the main
// thread and the worker together. The worker reads the image archive
// through its own reader and decodes to pixels; textures are made on the
// main thread. Whether a folder was ready changes how fast a level is
// entered, never what it holds. Depends on the archive and the renderer's
// decoder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/render.h"

// One picture of a folder, in the folder's listing order. `image` is empty
// when the worker could not read or decode it: the main thread then loads it
// the ordinary way, which reports why.
struct PrefetchedImage {
  std::string file;
  DecodedImagePtr image;
};

// Decodes these folders of the archive (file, password) in order, in pixels
// of `format`; requests made before and not repeated here are dropped.
// `identity` (OpenArchiveIdentity) is what the pictures must still match
// when they are taken.
void PrefetchImageFolders(const std::string& archive, const std::string& password,
                          const std::string& identity, uint32_t format,
                          const std::vector<std::string>& folders);
// The folder's pictures from the open archive (whose OpenArchiveIdentity is
// `identity`), decoded in `format` and handed to `take` one by one in the
// folder's listing order, on this thread: those the worker has ready at
// once; otherwise this thread and the worker decode the folder together,
// finishing what the worker began. `take` returning false refuses the rest.
void DecodeArchiveFolder(const std::string& identity, const std::string& folder, uint32_t format,
                         const std::function<bool(PrefetchedImage&)>& take);
// Whether the folder is decoded and waiting (for measurements).
bool PrefetchedFolderReady(const std::string& folder);
// Stops the worker and frees everything it decoded.
void StopImagePrefetch();
