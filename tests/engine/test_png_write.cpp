// PNG files. Screenshots decoded again give back exactly the pixels they
// were made from, and a write that fails leaves nothing behind. Pictures
// read straight into the textures' layout are the pixels the general image
// loader gives, whatever kind of PNG they come from.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <filesystem>
#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "engine/archive.h"
#include "engine/engine.h"
#include "engine/png_read.h"
#include "engine/png_write.h"
#include "engine/render.h"
#include "engine/screen.h"
#include "support/screen_fixture.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

namespace {

// The file's pixels as R, G, B, A bytes, rows packed; empty when it does not decode.
std::vector<uint8_t> DecodeRgba(const std::string& path, int* w, int* h) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return {};
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(loaded);
  if (rgba == nullptr) return {};
  *w = rgba->w;
  *h = rgba->h;
  std::vector<uint8_t> out(static_cast<std::size_t>(rgba->w * rgba->h * 4));
  for (int y = 0; y < rgba->h; ++y)
    std::memcpy(out.data() + static_cast<std::ptrdiff_t>(y) * rgba->w * 4,
                static_cast<const uint8_t*>(rgba->pixels) + static_cast<std::ptrdiff_t>(y) * rgba->pitch,
                static_cast<std::size_t>(rgba->w * 4));
  SDL_FreeSurface(rgba);
  return out;
}

// A 5 x 3 picture of one of libpng's colour types (with a see-through
// palette entry when `palette`), as file bytes.
std::string SmallPng(int colour_type, int bit_depth) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
      },
      nullptr);
  png_set_IHDR(png, info, 5, 3, bit_depth, colour_type, PNG_INTERLACE_ADAM7,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_color colours[4] = {{200, 10, 10}, {10, 200, 10}, {10, 10, 200}, {90, 90, 90}};
    png_byte see_through[2] = {0, 128};
    png_set_PLTE(png, info, colours, 4);
    png_set_tRNS(png, info, see_through, 2, nullptr);
  }
  png_write_info(png, info);
  const int channels = png_get_channels(png, info);
  std::vector<png_byte> rows(static_cast<std::size_t>(3 * 5 * channels * 2));
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i] = static_cast<png_byte>(colour_type == PNG_COLOR_TYPE_PALETTE ? i % 4 : i * 37);
  std::vector<png_bytep> pointers;
  for (int y = 0; y < 3; ++y)
    pointers.push_back(rows.data() + static_cast<std::ptrdiff_t>(y) * 5 * channels * 2);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// An 8-bit RGB (3 channels) or RGBA (4) PNG made by hand around `rows`: each
// row's filter byte and its data, exactly as they go into the file.
std::string HandMadePng(uint32_t w, uint32_t h, int channels, const std::string& rows) {
  std::string file("\x89PNG\r\n\x1A\n", 8);
  const auto chunk = [&file](const char* type, const std::string& data) {
    std::string body(type, 4);
    body += data;
    const auto big_endian = [](uint32_t v) {
      return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                         static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    file += big_endian(static_cast<uint32_t>(data.size())) + body +
            big_endian(static_cast<uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
  };
  std::string header;
  for (const uint32_t v : {w, h})
    for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>(v >> shift);
  header += std::string{8, static_cast<char>(channels == 4 ? 6 : 2), 0, 0, 0};
  chunk("IHDR", header);
  uLongf packed_size = compressBound(static_cast<uLong>(rows.size()));
  std::string packed(packed_size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
           reinterpret_cast<const Bytef*>(rows.data()), static_cast<uLong>(rows.size()));
  packed.resize(packed_size);
  // The data split over two chunks, as writers do.
  chunk("IDAT", packed.substr(0, packed.size() / 2));
  chunk("IDAT", packed.substr(packed.size() / 2));
  chunk("IEND", "");
  return file;
}

// What the general loader gives for the bytes, as 0xAARRGGBB words.
std::vector<uint32_t> LoadedWords(const std::string& bytes, int* w, int* h) {
  SDL_Surface* loaded =
      IMG_Load_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
  if (loaded == nullptr) return {};
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  *w = argb->w;
  *h = argb->h;
  std::vector<uint32_t> out;
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                        static_cast<std::ptrdiff_t>(y) * argb->pitch);
    out.insert(out.end(), row, row + argb->w);
  }
  SDL_FreeSurface(argb);
  return out;
}

class PngWrite : public HeadlessScreen {
 protected:
  void SetUp() override {
    HeadlessScreen::SetUp();
    folder = MakeTempFolder("quillmoor_png_write");
    ASSERT_FALSE(folder.empty());
  }
  void TearDown() override {
    fs::remove_all(folder);
    HeadlessScreen::TearDown();
  }
  fs::path folder;
};

}  // namespace

TEST_F(PngWrite, AScreenshotDecodesToExactlyThePixelsOnTheScreen) {
  BeginBatch();
  for (int i = 0; i < 600; ++i) {
    const auto k = static_cast<uint32_t>(i);
    FillRect(static_cast<float>(k * 37 % 1000), static_cast<float>(k * 53 % 740),
             static_cast<float>(5 + k % 90), static_cast<float>(3 + k % 50),
             (k * 2654435761u) & 0xFFFFFF, static_cast<uint8_t>(40 + k % 216));
  }
  EndBatch();
  PlatformPresent();
  std::vector<uint8_t> screen(1024 * 768 * 4);
  ASSERT_EQ(SDL_RenderReadPixels(PlatformRenderer(), nullptr, SDL_PIXELFORMAT_RGBA32,
                                 screen.data(), 1024 * 4),
            0);

  const std::string path = (folder / "shot.png").string();
  ASSERT_TRUE(EngineSaveScreenshot(path));
  int w = 0;
  int h = 0;
  const std::vector<uint8_t> decoded = DecodeRgba(path, &w, &h);
  ASSERT_EQ(w, 1024);
  ASSERT_EQ(h, 768);
  EXPECT_TRUE(decoded == screen) << "the picture differs from the screen";
}

TEST_F(PngWrite, SeeThroughPixelsKeepTheirAlphaAndAFailedWriteLeavesNoFile) {
  // 7 x 5 pixels in rows 32 bytes apart, the padding never written out.
  constexpr int kW = 7;
  constexpr int kH = 5;
  std::vector<uint8_t> pixels(32 * kH, 0xEE);
  std::vector<uint8_t> packed;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW * 4; ++x) {
      const auto v = static_cast<uint8_t>(y * 51 + x * 9);
      pixels[static_cast<std::size_t>(y * 32 + x)] = v;
      packed.push_back(v);
    }
  const std::string path = (folder / "small.png").string();
  std::string error;
  ASSERT_TRUE(WritePngFile(path, pixels.data(), kW, kH, 32, &error)) << error;
  int w = 0;
  int h = 0;
  EXPECT_EQ(DecodeRgba(path, &w, &h), packed);

  for (const fs::path& bad : {folder / "missing" / "shot.png", folder}) {
    error.clear();
    EXPECT_FALSE(WritePngFile(bad.string(), pixels.data(), kW, kH, 32, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_FALSE(WritePngFile(path, pixels.data(), kW, kH, kW * 4 - 1, &error));
}

TEST(PngRead, PicturesReadStraightIntoTheTextureLayoutMatchTheGeneralLoader) {
  std::vector<std::pair<std::string, std::string>> files;
  ASSERT_TRUE(OpenArchive(QUILLMOOR_TEST_GAME_DIR "/" + std::string(kImageArchive), kImageArchiveKey));
  for (const char* dir : {"images/splash/", "images/common/", "images/particles/"})
    for (const std::string& name : ListGameFiles(std::string(dir) + "*.png", 12)) {
      files.emplace_back(dir + name, "");
      ASSERT_TRUE(ReadGameFile(dir + name, &files.back().second));
    }
  CloseArchive();
  files.emplace_back("palette", SmallPng(PNG_COLOR_TYPE_PALETTE, 8));
  files.emplace_back("grey", SmallPng(PNG_COLOR_TYPE_GRAY, 8));
  files.emplace_back("grey and alpha", SmallPng(PNG_COLOR_TYPE_GRAY_ALPHA, 8));
  int opaque_files = 0;
  for (const auto& [name, bytes] : files) {
    int w = 0;
    int h = 0;
    const std::vector<uint32_t> expected = LoadedWords(bytes, &w, &h);
    ASSERT_FALSE(expected.empty()) << name;
    int pw = 0;
    int ph = 0;
    ASSERT_TRUE(PngPictureSize(bytes.data(), bytes.size(), &pw, &ph)) << name;
    EXPECT_EQ(pw, w) << name;
    EXPECT_EQ(ph, h) << name;
    // Rows a little wider than the picture, as textures' may be.
    const int pitch = w + 3;
    std::vector<uint32_t> read(static_cast<std::size_t>(pitch * h));
    bool opaque = false;
    ASSERT_TRUE(PngDecodeInto(bytes.data(), bytes.size(), true, read.data(), pitch * 4, &opaque))
        << name;
    std::vector<uint32_t> packed;
    for (int y = 0; y < h; ++y)
      packed.insert(packed.end(), read.begin() + y * pitch, read.begin() + y * pitch + w);
    EXPECT_TRUE(packed == expected) << name << " differs from the general loader";
    if (opaque) {
      ++opaque_files;
      for (uint32_t word : packed) ASSERT_EQ(word >> 24, 0xFFu) << name;
    }
    // The other layout holds the same colours, red and blue swapped.
    ASSERT_TRUE(PngDecodeInto(bytes.data(), bytes.size(), false, read.data(), pitch * 4, &opaque));
    EXPECT_EQ(read[0], (packed[0] & 0xFF00FF00u) | (packed[0] >> 16 & 0xFFu) |
                           (packed[0] & 0xFFu) << 16) << name;
    // Damaged: cut short, or not a PNG at all.
    EXPECT_FALSE(PngDecodeInto(bytes.data(), bytes.size() / 2, true, read.data(), pitch * 4, &opaque))
        << name;
  }
  EXPECT_GT(opaque_files, 0);
  EXPECT_FALSE(PngPictureSize("not a picture", 13, nullptr, nullptr));
  // 16-bit samples are left to the general loader, which keeps their numbers.
  const std::string deep = SmallPng(PNG_COLOR_TYPE_RGB_ALPHA, 16);
  int w = 0;
  int h = 0;
  EXPECT_FALSE(PngPictureSize(deep.data(), deep.size(), &w, &h));
}

// The game's own pictures take a path of their own: every filter, on every
// byte value, at widths that end rows in the middle of a word, into rows
// exactly as wide as the picture or wider, must come out as the general
// loader gives them; data that is damaged in ways a check sum cannot see is
// refused all the same.
TEST(PngRead, PlainPicturesOfEveryFilterMatchTheGeneralLoader) {
  std::mt19937 random(7);
  const auto random_rows = [&random](uint32_t w, uint32_t h, int channels, int filter_from) {
    std::string rows;
    for (uint32_t y = 0; y < h; ++y) {
      rows += static_cast<char>((filter_from + y) % 5);
      for (uint32_t i = 0; i < w * channels; ++i) rows += static_cast<char>(random());
    }
    return rows;
  };
  for (const int channels : {3, 4})
    for (const uint32_t w : {1u, 2u, 33u})
      for (const int filter_from : {0, 3}) {
        const uint32_t h = 7;
        const std::string bytes = HandMadePng(w, h, channels, random_rows(w, h, channels, filter_from));
        const std::string name = std::to_string(channels) + " channels, " + std::to_string(w) + " wide";
        int lw = 0;
        int lh = 0;
        const std::vector<uint32_t> expected = LoadedWords(bytes, &lw, &lh);
        ASSERT_EQ(expected.size(), std::size_t{w} * h) << name;
        for (const uint32_t pitch : {w, w + 3})
          for (const bool red_high : {true, false}) {
            std::vector<uint32_t> read(std::size_t{pitch} * h);
            bool opaque = false;
            ASSERT_TRUE(PngDecodeInto(bytes.data(), bytes.size(), red_high, read.data(), pitch * 4,
                                      &opaque)) << name;
            EXPECT_EQ(opaque, channels == 3) << name;
            for (uint32_t y = 0; y < h; ++y)
              for (uint32_t x = 0; x < w; ++x) {
                const uint32_t want = expected[y * w + x];
                const uint32_t got = red_high ? read[y * pitch + x]
                                              : (read[y * pitch + x] & 0xFF00FF00u) |
                                                    (read[y * pitch + x] >> 16 & 0xFFu) |
                                                    (read[y * pitch + x] & 0xFFu) << 16;
                ASSERT_EQ(got, want) << name << ", pitch " << pitch << ", pixel " << x << "," << y;
              }
          }
      }
  // Every alpha 255: opaque, though the file has an alpha channel.
  const std::string solid = HandMadePng(2, 1, 4, std::string("\0\1\2\3\xFF\4\5\6\xFF", 9));
  std::vector<uint32_t> read(2);
  bool opaque = false;
  ASSERT_TRUE(PngDecodeInto(solid.data(), solid.size(), true, read.data(), 8, &opaque));
  EXPECT_TRUE(opaque);
  EXPECT_EQ(read[1], 0xFF040506u);
  // A filter that does not exist, rows cut short, rows running on.
  std::string unknown_filter = random_rows(4, 2, 3, 0);
  unknown_filter[13] = 5;
  const std::string short_rows = random_rows(4, 2, 3, 0).substr(0, 20);
  const std::string long_rows = random_rows(4, 3, 3, 0);
  for (const std::string& bytes : {HandMadePng(4, 2, 3, unknown_filter), HandMadePng(4, 2, 3, short_rows),
                                   HandMadePng(4, 2, 3, long_rows)}) {
    std::vector<uint32_t> pixels(8);
    const bool decoded = PngDecodeInto(bytes.data(), bytes.size(), true, pixels.data(), 16, &opaque);
    int lw = 0;
    int lh = 0;
    EXPECT_EQ(decoded, !LoadedWords(bytes, &lw, &lh).empty());
  }
}
