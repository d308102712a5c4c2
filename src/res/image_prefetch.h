// Pictures of the levels next door, decoded ahead on a worker thread while
// the player looks around, so that walking there only makes the textures.
// The worker reads the image archive through its own reader and decodes to
// pixels; textures are made on the main thread. Whether a folder was ready
// changes how fast a level is entered, never what it holds: a folder not
// ready is decoded on the spot. Depends on the archive and the renderer's
// decoder.
#pragma once

#include <cstdint>
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
// The folder's pictures when the worker has them, waiting if it is decoding
// that folder now; false otherwise, and the worker then stops decoding until
// the next request (what it finished stays ready).
bool TakePrefetchedFolder(const std::string& identity, const std::string& folder,
                          std::vector<PrefetchedImage>* out);
// Whether the folder is decoded and waiting (for measurements).
bool PrefetchedFolderReady(const std::string& folder);
// Stops the worker and frees everything it decoded.
void StopImagePrefetch();
