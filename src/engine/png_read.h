// Reading PNG pictures straight into 32-bit pixels with their alpha at the
// top (0xAARRGGBB in a native word, or 0xAABBGGRR), the layouts textures
// are kept in, so a picture needs no second conversion after its decode.
// Any thread; logs nothing.
#pragma once

#include <cstddef>
#include <cstdint>

// The picture's size from its header; false when the bytes are no PNG, or
// one this reader leaves to a general loader: 16-bit samples or a gamma of
// its own, which it would convert where a general loader keeps the numbers.
bool PngPictureSize(const void* bytes, std::size_t size, int* width, int* height);
// Decodes the whole picture into `pixels` (rows `pitch` bytes apart, at
// least width × 4 each), red in the third byte of a pixel when `red_high`
// (0xAARRGGBB) else in the first. `opaque` says whether the file holds no
// transparency at all. False when the bytes are damaged; the pixels are
// then undefined.
bool PngDecodeInto(const void* bytes, std::size_t size, bool red_high, void* pixels,
                   std::ptrdiff_t pitch, bool* opaque);
