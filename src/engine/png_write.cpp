// PNG files of the screen through libpng, at zlib's fastest level.
#include "engine/png_write.h"

#include <png.h>  // the PNG encoder with control over filters and zlib level
#include <sys/stat.h>
#include <zlib.h>  // Z_HUFFMAN_ONLY

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// libpng reports an error by calling this and never returning: the message
// goes to the buffer the write was given, then back to the setjmp.
[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* buffer = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(buffer, 256, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

bool AllOpaque(const uint8_t* rgba, int width, int height, int pitch) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rgba + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x)
      if (row[4 * x + 3] != 255) return false;
  }
  return true;
}

// Only plain locals here: libpng leaves this function by longjmp on an error.
bool WriteRows(std::FILE* file, const uint8_t* rgba, int width, int height, int pitch,
               bool opaque, char* message) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnPngError, OnPngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // A picture of the screen is mostly smooth painted surfaces: after the
  // "Sub" filter they are small differences that Huffman codes alone pack
  // nearly as well as a search for repeats would, at a fraction of the time.
  // About a tenth of the default settings' time, for a file half as large
  // again.
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_HUFFMAN_ONLY);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_write_info(png, info);
  if (opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops each pixel's fourth byte
  for (int y = 0; y < height; ++y)
    png_write_row(png, rgba + static_cast<std::ptrdiff_t>(y) * pitch);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePngFile(const std::string& path, const uint8_t* rgba, int width, int height, int pitch,
                  std::string* error) {
  if (rgba == nullptr || width <= 0 || height <= 0 || pitch < 4 * width) {
    if (error != nullptr) *error = "no pixels";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    if (error != nullptr) *error = std::strerror(errno);
    return false;
  }
  char message[256] = "cannot encode";
  const bool written =
      WriteRows(file, rgba, width, height, pitch, AllOpaque(rgba, width, height, pitch), message);
  const bool closed = std::fclose(file) == 0;
  const int close_errno = errno;
  if (written && closed) return true;
  // A half-written picture would only look like a broken file to the player.
  // Only a plain file goes: the path may have named a device.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(path.c_str());
  if (error != nullptr) *error = written ? std::strerror(close_errno) : message;
  return false;
}
