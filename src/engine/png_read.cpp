// The PNG reader, over libpng's whole-picture interface.
#include "engine/png_read.h"

#include <png.h>

#include <bit>
#include <cstring>

namespace {

// Begins reading; the image is freed by png_image_free on every way out.
bool Begin(const void* bytes, std::size_t size, png_image* image) {
  std::memset(image, 0, sizeof(*image));
  image->version = PNG_IMAGE_VERSION;
  return bytes != nullptr && size >= 8 &&
         png_image_begin_read_from_memory(image, bytes, size) != 0;
}

// Whether a "gAMA" chunk comes before the picture data.
bool HasOwnGamma(const uint8_t* bytes, std::size_t size) {
  std::size_t at = 8;
  while (at + 8 <= size) {
    const std::size_t length = std::size_t{bytes[at]} << 24 | std::size_t{bytes[at + 1]} << 16 |
                               std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
    const char* type = reinterpret_cast<const char*>(bytes + at + 4);
    if (std::memcmp(type, "IDAT", 4) == 0) return false;
    if (std::memcmp(type, "gAMA", 4) == 0) return true;
    if (length > size) return false;
    at += length + 12;
  }
  return false;
}

}  // namespace

bool PngPictureSize(const void* bytes, std::size_t size, int* width, int* height) {
  png_image image;
  const bool ok = Begin(bytes, size, &image) && (image.format & PNG_FORMAT_FLAG_LINEAR) == 0 &&
                  !HasOwnGamma(static_cast<const uint8_t*>(bytes), size);
  if (ok) {
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
  }
  png_image_free(&image);
  return ok;
}

bool PngDecodeInto(const void* bytes, std::size_t size, bool red_high, void* pixels,
                   std::ptrdiff_t pitch, bool* opaque) {
  png_image image;
  if (!Begin(bytes, size, &image)) {
    png_image_free(&image);
    return false;
  }
  *opaque = (image.format & PNG_FORMAT_FLAG_ALPHA) == 0;
  // Bytes in memory order: B G R A is 0xAARRGGBB in a little-endian word.
  if constexpr (std::endian::native == std::endian::little)
    image.format = red_high ? PNG_FORMAT_BGRA : PNG_FORMAT_RGBA;
  else
    image.format = red_high ? PNG_FORMAT_ARGB : PNG_FORMAT_ABGR;
  const bool ok = pitch > 0 && png_image_finish_read(&image, nullptr, pixels,
                                                     static_cast<png_int_32>(pitch), nullptr) != 0;
  png_image_free(&image);
  return ok;
}
