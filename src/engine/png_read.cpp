// The PNG reader. Pictures as the game's tools write them take a path of
// their own; everything else goes through libpng's whole-picture interface.
#include "engine/png_read.h"

#include <libdeflate.h>  // inflating a plain picture's data in one go
#include <png.h>         // every other picture, and the picture's size

#include <bit>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Begins reading; the image is freed by png_image_free on every way out.
bool Begin(const void* bytes, std::size_t size, png_image* image) {
  std::memset(image, 0, sizeof(*image));
  image->version = PNG_IMAGE_VERSION;
  return bytes != nullptr && size >= 8 &&
         png_image_begin_read_from_memory(image, bytes, size) != 0;
}

uint32_t ReadBigEndian(const uint8_t* at) {
  return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

// Whether a "gAMA" chunk comes before the picture data.
bool HasOwnGamma(const uint8_t* bytes, std::size_t size) {
  std::size_t at = 8;
  while (at + 8 <= size) {
    const std::size_t length = ReadBigEndian(bytes + at);
    const char* type = reinterpret_cast<const char*>(bytes + at + 4);
    if (std::memcmp(type, "IDAT", 4) == 0) return false;
    if (std::memcmp(type, "gAMA", 4) == 0) return true;
    if (length > size) return false;
    at += length + 12;
  }
  return false;
}

bool ReadWithLibpng(const void* bytes, std::size_t size, bool red_high, void* pixels,
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

// --- Plain pictures ----------------------------------------------------------------
// The game's pictures are 8-bit RGB or RGBA, not interlaced, with nothing
// that changes their colours. Their data is inflated in one go and each row
// unfiltered straight into the texture layout, two to three times faster
// than libpng's rows and conversions. A picture with anything else, or
// anything odd about it (a bad check sum, data too short or too long), is
// left to libpng, which reads it or says what is wrong with it.

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Beyond this the picture's rows go through libpng, a few at a time.
constexpr uint64_t kMaxPlainDataBytes = uint64_t{256} << 20;

struct PlainPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t channels = 0;  // 3 or 4
  std::string data;       // the picture's compressed data, its chunks joined
};

bool ChunkIs(const uint8_t* chunk, const char* type) { return std::memcmp(chunk + 4, type, 4) == 0; }

// Chunks that change nothing in the decoded pixels.
bool ChunkLeavesPixels(const uint8_t* chunk) {
  for (const char* type : {"bKGD", "pHYs", "tEXt", "zTXt", "iTXt", "tIME"})
    if (ChunkIs(chunk, type)) return true;
  return false;
}

bool ChecksumFits(const uint8_t* chunk, uint32_t length) {
  const uint32_t stored = ReadBigEndian(chunk + 8 + length);
  return libdeflate_crc32(0, chunk + 4, std::size_t{length} + 4) == stored;
}

// The picture's layout and data when it is a plain one.
bool ReadPlainLayout(const uint8_t* bytes, std::size_t size, PlainPicture* picture) {
  if (size < 8 + 25 || std::memcmp(bytes, kSignature, 8) != 0) return false;
  const uint8_t* header = bytes + 8;
  if (ReadBigEndian(header) != 13 || !ChunkIs(header, "IHDR") || !ChecksumFits(header, 13))
    return false;
  const uint8_t* fields = header + 8;
  picture->width = ReadBigEndian(fields);
  picture->height = ReadBigEndian(fields + 4);
  const uint8_t depth = fields[8], colour = fields[9], interlace = fields[12];
  if (depth != 8 || (colour != 2 && colour != 6) || fields[10] != 0 || fields[11] != 0 ||
      interlace != 0 || picture->width == 0 || picture->height == 0)
    return false;
  picture->channels = colour == 6 ? 4 : 3;

  enum class Part { BeforeData, Data, AfterData };
  Part part = Part::BeforeData;
  std::size_t at = 8 + 25;
  while (size - at >= 12) {
    const uint8_t* chunk = bytes + at;
    const uint32_t length = ReadBigEndian(chunk);
    if (length > size - at - 12) return false;
    if (ChunkIs(chunk, "IDAT")) {
      if (part == Part::AfterData || !ChecksumFits(chunk, length)) return false;
      part = Part::Data;
      picture->data.append(reinterpret_cast<const char*>(chunk + 8), length);
    } else if (ChunkIs(chunk, "IEND")) {
      return part != Part::BeforeData && length == 0 && ChecksumFits(chunk, 0);
    } else {
      if (part == Part::Data) part = Part::AfterData;
      if (!ChunkLeavesPixels(chunk)) return false;
    }
    at += std::size_t{length} + 12;
  }
  return false;
}

// A pixel's channels in 16-bit lanes, in the order of the texture's bytes.
typedef int16_t Lanes __attribute__((vector_size(16)));
typedef uint8_t LaneBytes __attribute__((vector_size(8)));

// Four bytes into lanes 0-3.
Lanes LoadLanes(const uint8_t* at) {
  LaneBytes bytes{};
  std::memcpy(&bytes, at, 4);
  return __builtin_convertvector(bytes, Lanes);
}

Lanes Magnitude(Lanes v) { return v < 0 ? -v : v; }

// The filter's guess from the left, upper and upper-left neighbours: whichever
// is nearest a + b - c, the left first and the upper next on a tie.
Lanes PaethGuess(Lanes a, Lanes b, Lanes c) {
  const Lanes pa = Magnitude(b - c);
  const Lanes pb = Magnitude(a - c);
  const Lanes pc = Magnitude(a + b - c - c);
  const Lanes nearer = pb < pa ? b : a;
  const Lanes distance = pb < pa ? pb : pa;
  return pc < distance ? c : nearer;
}

// One row: undoes filter `Filter` on `from` (InBytes a pixel, read four at
// a time) into `to` (OutBytes a pixel), with `above` the row above as `to`
// holds it (nullptr on the first row). Four bytes out are 32-bit pixels,
// red third when `RedHigh`, alpha ANDed into `alpha`; three bytes out are
// the RGB pixels unfiltered in place.
template <int InBytes, int OutBytes, int Filter, bool RedHigh>
void UnfilterRow(const uint8_t* from, const uint8_t* above, uint8_t* to, uint32_t width,
                 Lanes* alpha) {
  Lanes opaque{};
  if constexpr (InBytes == 3 && OutBytes == 4) opaque[3] = 0xFF;
  Lanes a{};
  Lanes c{};
  Lanes alpha_seen = *alpha;
  for (uint32_t x = 0; x < width; ++x, from += InBytes, to += OutBytes) {
    Lanes value = LoadLanes(from);
    if constexpr (RedHigh) value = __builtin_shufflevector(value, value, 2, 1, 0, 3, 4, 5, 6, 7);
    Lanes b{};
    if (Filter >= 2 && above != nullptr) b = LoadLanes(above + std::size_t{x} * OutBytes);
    Lanes guess{};
    if constexpr (Filter == 1) guess = a;
    if constexpr (Filter == 2) guess = b;
    if constexpr (Filter == 3) guess = (a + b) >> 1;
    if constexpr (Filter == 4) guess = PaethGuess(a, b, c);
    a = (value + guess) & 0xFF;
    c = b;
    const Lanes pixel = a | opaque;
    alpha_seen &= pixel;
    const LaneBytes bytes = __builtin_convertvector(pixel, LaneBytes);
    std::memcpy(to, &bytes, OutBytes);
  }
  *alpha = alpha_seen;
}

// Undoes every row's filter; `to(y)` is where row y goes. False on a
// filter that does not exist.
template <int InBytes, int OutBytes, bool RedHigh, typename RowAt>
bool UnfilterRows(const uint8_t* data, const PlainPicture& picture, RowAt to, Lanes* alpha) {
  const std::size_t row_bytes = std::size_t{picture.width} * InBytes + 1;
  const uint8_t* above = nullptr;
  for (uint32_t y = 0; y < picture.height; ++y, data += row_bytes) {
    uint8_t* row = to(y);
    const uint8_t* from = data + 1;
    const uint32_t w = picture.width;
    switch (data[0]) {
      case 0: UnfilterRow<InBytes, OutBytes, 0, RedHigh>(from, above, row, w, alpha); break;
      case 1: UnfilterRow<InBytes, OutBytes, 1, RedHigh>(from, above, row, w, alpha); break;
      case 2: UnfilterRow<InBytes, OutBytes, 2, RedHigh>(from, above, row, w, alpha); break;
      case 3: UnfilterRow<InBytes, OutBytes, 3, RedHigh>(from, above, row, w, alpha); break;
      case 4: UnfilterRow<InBytes, OutBytes, 4, RedHigh>(from, above, row, w, alpha); break;
      default: return false;
    }
    above = row;
  }
  return true;
}

bool Inflate(const PlainPicture& picture, uint8_t* data, std::size_t data_bytes) {
  libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
  if (inflater == nullptr) return false;
  std::size_t used = 0;
  const libdeflate_result inflated =
      libdeflate_zlib_decompress_ex(inflater, picture.data.data(), picture.data.size(), data,
                                    data_bytes, &used, nullptr);
  libdeflate_free_decompressor(inflater);
  return inflated == LIBDEFLATE_SUCCESS && used == picture.data.size();
}

// RGB pictures are inflated into the pixels' own memory where they fit, which
// they do but in a picture one pixel wide: rows unfiltered in place from the
// top, then spread to 32 bits from the last pixel back, so that no byte is
// overwritten before it is read (a row of pixels is never shorter than a row
// of data, and starts no earlier).
bool ReadPlainRgb(const PlainPicture& picture, bool red_high, uint8_t* pixels,
                  std::ptrdiff_t pitch, uint64_t data_bytes) {
  const uint64_t room = static_cast<uint64_t>(pitch) * picture.height;
  std::unique_ptr<uint8_t[]> spare;
  uint8_t* data = pixels;
  if (data_bytes + 3 > room) {
    spare = std::make_unique_for_overwrite<uint8_t[]>(data_bytes + 3);
    data = spare.get();
  }
  std::memset(data + data_bytes, 0, 3);
  if (!Inflate(picture, data, data_bytes)) return false;
  const std::size_t row_bytes = std::size_t{picture.width} * 3 + 1;
  Lanes alpha{};
  const auto in_place = [&](uint32_t y) { return data + y * row_bytes + 1; };
  if (!UnfilterRows<3, 3, false>(data, picture, in_place, &alpha)) return false;
  const int red = red_high ? 16 : 0;
  const int blue = red_high ? 0 : 16;
  for (uint32_t y = picture.height; y-- > 0;) {
    const uint8_t* from = in_place(y);
    uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
    for (uint32_t x = picture.width; x-- > 0;) {
      const uint8_t* rgb = from + std::size_t{x} * 3;
      const uint32_t pixel = 0xFF000000u | uint32_t{rgb[0]} << red | uint32_t{rgb[1]} << 8 |
                             uint32_t{rgb[2]} << blue;
      std::memcpy(row + std::size_t{x} * 4, &pixel, 4);
    }
  }
  return true;
}

// RGBA data is a byte a row longer than the pixels: it goes to a buffer of
// its own and each row straight into the texture layout.
bool ReadPlainRgba(const PlainPicture& picture, bool red_high, uint8_t* pixels,
                   std::ptrdiff_t pitch, uint64_t data_bytes, bool* opaque) {
  auto data = std::make_unique_for_overwrite<uint8_t[]>(data_bytes);
  if (!Inflate(picture, data.get(), data_bytes)) return false;
  const auto texture_row = [&](uint32_t y) { return pixels + static_cast<std::ptrdiff_t>(y) * pitch; };
  Lanes alpha{};
  alpha[3] = 0xFF;
  const bool ok = red_high ? UnfilterRows<4, 4, true>(data.get(), picture, texture_row, &alpha)
                           : UnfilterRows<4, 4, false>(data.get(), picture, texture_row, &alpha);
  *opaque = alpha[3] == 0xFF;
  return ok;
}

// False when the picture is not a plain one or anything about it is odd;
// the pixels are then undefined.
bool ReadPlain(const uint8_t* bytes, std::size_t size, bool red_high, void* pixels,
               std::ptrdiff_t pitch, bool* opaque) {
  // The layout is worked out for little-endian words only.
  if constexpr (std::endian::native != std::endian::little) return false;
  PlainPicture picture;
  if (!ReadPlainLayout(bytes, size, &picture)) return false;
  const uint64_t data_bytes = (uint64_t{picture.width} * picture.channels + 1) * picture.height;
  if (pitch < static_cast<std::ptrdiff_t>(uint64_t{picture.width} * 4) ||
      data_bytes > kMaxPlainDataBytes)
    return false;
  auto* to = static_cast<uint8_t*>(pixels);
  if (picture.channels == 3) {
    *opaque = true;
    return ReadPlainRgb(picture, red_high, to, pitch, data_bytes);
  }
  return ReadPlainRgba(picture, red_high, to, pitch, data_bytes, opaque);
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
  if (bytes != nullptr &&
      ReadPlain(static_cast<const uint8_t*>(bytes), size, red_high, pixels, pitch, opaque))
    return true;
  return ReadWithLibpng(bytes, size, red_high, pixels, pitch, opaque);
}
