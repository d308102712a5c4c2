// Writing pictures of the screen as PNG files, quickly: a screenshot must not
// stall the game, so the file is compressed for speed rather than size. The
// only module of the engine that depends on libpng.
#pragma once

#include <cstdint>
#include <string>

// Writes width x height pixels, four bytes R, G, B, A each, rows `pitch` bytes
// apart from the top, as the PNG file at path. When every pixel is opaque the
// file holds no alpha channel; a decoder reads the same pixels either way.
// False with *error set (and no file left behind) when it cannot be written.
bool WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height, int pitch,
                  std::string* error);
