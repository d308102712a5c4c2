// The movie generator: reads a movie recipe (movie_recipe.h), paints each
// shot's picture from its art recipe once, then renders every frame — each
// shot seen through its moving camera, the overlapping ones cross-faded — and
// encodes the frames as an Ogg Theora file. The same recipe gives the same
// bytes on every run.
//
//   moviegen RECIPE ART_FOLDER OUT.ogv
//
// A shot's picture is named relative to the movie recipe's folder; the
// shared pieces its recipe includes come from the art folder.
#include <cairo.h>
#include <theora/theoraenc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "movie_recipe.h"
#include "tools/art_paint.h"

namespace fs = std::filesystem;

namespace {

constexpr int kQuality = 44;           // 0..63
constexpr int kKeyFrameSeconds = 2;    // a jump never decodes more than this
constexpr ogg_uint32_t kSerial = 0x516D6F76;

std::optional<std::string> ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A painted picture as opaque RGB (composited over black), for sampling.
struct Plate {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// The shot's recipe is found beside the movie recipe; what it includes, in
// the art folder, like every other picture's.
std::optional<Plate> PaintPlate(const fs::path& recipe, const fs::path& folder, const fs::path& art,
                                art::FontShelf& fonts) {
  const std::optional<std::string> text = ReadText(folder / recipe);
  if (!text) {
    std::fprintf(stderr, "moviegen: %s: cannot be read\n", recipe.c_str());
    return std::nullopt;
  }
  art::PaintSetup setup;
  setup.fonts = &fonts;
  setup.load_include = [&art](const std::string& path) { return ReadText(art / path); };
  art::Picture picture;
  try {
    picture = art::PaintRecipe(art::ParseRecipe(*text), setup);
  } catch (const art::RecipeError& error) {
    std::fprintf(stderr, "moviegen: %s:%d: %s\n", recipe.c_str(), error.line(), error.what());
    return std::nullopt;
  }
  cairo_surface_t* surface = picture.surface();
  cairo_surface_flush(surface);
  Plate plate;
  plate.width = cairo_image_surface_get_width(surface);
  plate.height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint8_t* data = cairo_image_surface_get_data(surface);
  plate.rgb.resize(static_cast<std::size_t>(plate.width) * plate.height * 3);
  for (int y = 0; y < plate.height; ++y) {
    for (int x = 0; x < plate.width; ++x) {
      uint32_t pixel;  // premultiplied: over black it is the colour itself
      std::memcpy(&pixel, data + static_cast<std::ptrdiff_t>(y) * stride + x * 4, 4);
      uint8_t* out = &plate.rgb[(static_cast<std::size_t>(y) * plate.width + x) * 3];
      out[0] = static_cast<uint8_t>(pixel >> 16);
      out[1] = static_cast<uint8_t>(pixel >> 8);
      out[2] = static_cast<uint8_t>(pixel);
    }
  }
  return plate;
}

// Adds the shot's picture, seen through `camera` and weighted by `weight`,
// to the frame (floating RGB, the frame's size). The columns every row
// samples are worked out once.
void AddShot(const Plate& plate, const moviegen::Camera& camera, double weight, int width,
             int height, std::vector<float>& frame) {
  const double inv = 1.0 / camera.scale;
  const auto w = static_cast<float>(weight);
  std::vector<int> x0(static_cast<std::size_t>(width));
  std::vector<int> x1(static_cast<std::size_t>(width));
  std::vector<float> fx(static_cast<std::size_t>(width));
  for (int u = 0; u < width; ++u) {
    const double px = camera.cx + (u + 0.5 - width / 2.0) * inv - 0.5;
    x0[u] = std::clamp(static_cast<int>(std::floor(px)), 0, plate.width - 1) * 3;
    x1[u] = std::min(x0[u] + 3, (plate.width - 1) * 3);
    fx[u] = static_cast<float>(std::clamp(px - std::floor(px), 0.0, 1.0));
  }
  const std::size_t row_bytes = static_cast<std::size_t>(plate.width) * 3;
  for (int v = 0; v < height; ++v) {
    const double py = camera.cy + (v + 0.5 - height / 2.0) * inv - 0.5;
    const int y0 = std::clamp(static_cast<int>(std::floor(py)), 0, plate.height - 1);
    const int y1 = std::min(y0 + 1, plate.height - 1);
    const auto fy = static_cast<float>(std::clamp(py - std::floor(py), 0.0, 1.0));
    const uint8_t* top_row = &plate.rgb[static_cast<std::size_t>(y0) * row_bytes];
    const uint8_t* bottom_row = &plate.rgb[static_cast<std::size_t>(y1) * row_bytes];
    float* out = &frame[static_cast<std::size_t>(v) * width * 3];
    for (int u = 0; u < width; ++u, out += 3) {
      const uint8_t* a = top_row + x0[u];
      const uint8_t* b = top_row + x1[u];
      const uint8_t* c = bottom_row + x0[u];
      const uint8_t* d = bottom_row + x1[u];
      for (int k = 0; k < 3; ++k) {
        const float top = a[k] + (b[k] - a[k]) * fx[u];
        const float bottom = c[k] + (d[k] - c[k]) * fx[u];
        out[k] += w * (top + (bottom - top) * fy);
      }
    }
  }
}

// The frame in the studio-range YCbCr that players expect, chroma averaged
// over each 2 x 2 block.
void ToYCbCr(const std::vector<float>& frame, int width, int height, th_ycbcr_buffer planes) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float* p = &frame[(static_cast<std::size_t>(y) * width + x) * 3];
      const float luma = 16.0f + 0.2568f * p[0] + 0.5041f * p[1] + 0.0979f * p[2];
      planes[0].data[y * planes[0].stride + x] =
          static_cast<unsigned char>(std::clamp(std::lround(luma), 16L, 235L));
    }
  }
  for (int y = 0; y < height / 2; ++y) {
    for (int x = 0; x < width / 2; ++x) {
      float r = 0, g = 0, b = 0;
      for (int k = 0; k < 4; ++k) {
        const float* p =
            &frame[(static_cast<std::size_t>(2 * y + k / 2) * width + 2 * x + k % 2) * 3];
        r += p[0] / 4;
        g += p[1] / 4;
        b += p[2] / 4;
      }
      const float cb = 128.0f - 0.1482f * r - 0.2910f * g + 0.4392f * b;
      const float cr = 128.0f + 0.4392f * r - 0.3678f * g - 0.0714f * b;
      planes[1].data[y * planes[1].stride + x] =
          static_cast<unsigned char>(std::clamp(std::lround(cb), 16L, 240L));
      planes[2].data[y * planes[2].stride + x] =
          static_cast<unsigned char>(std::clamp(std::lround(cr), 16L, 240L));
    }
  }
}

void WritePages(ogg_stream_state& stream, std::string& out, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page) != 0 : ogg_stream_pageout(&stream, &page) != 0) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
  }
}

// Renders and encodes the whole movie into `out`. False when the encoder
// refuses the settings.
bool Encode(const moviegen::MovieRecipe& movie, const std::vector<const Plate*>& plates,
            std::string& out) {
  th_info info;
  th_info_init(&info);
  info.frame_width = static_cast<ogg_uint32_t>((movie.width + 15) & ~15);
  info.frame_height = static_cast<ogg_uint32_t>((movie.height + 15) & ~15);
  info.pic_width = static_cast<ogg_uint32_t>(movie.width);
  info.pic_height = static_cast<ogg_uint32_t>(movie.height);
  info.pic_x = 0;
  info.pic_y = 0;
  info.fps_numerator = static_cast<ogg_uint32_t>(movie.rate);
  info.fps_denominator = 1;
  info.aspect_numerator = 1;
  info.aspect_denominator = 1;
  info.colorspace = TH_CS_UNSPECIFIED;
  info.pixel_fmt = TH_PF_420;
  info.target_bitrate = 0;
  info.quality = kQuality;
  info.keyframe_granule_shift = 6;
  th_enc_ctx* encoder = th_encode_alloc(&info);
  th_info_clear(&info);
  if (encoder == nullptr) return false;
  int key_frames = kKeyFrameSeconds * movie.rate;
  th_encode_ctl(encoder, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &key_frames, sizeof key_frames);

  ogg_stream_state stream;
  ogg_stream_init(&stream, static_cast<int>(kSerial));
  th_comment comment;
  th_comment_init(&comment);
  ogg_packet op;
  bool first = true;
  while (th_encode_flushheader(encoder, &comment, &op) > 0) {
    ogg_stream_packetin(&stream, &op);
    if (first) WritePages(stream, out, true);  // the first header stands alone
    first = false;
  }
  WritePages(stream, out, true);
  th_comment_clear(&comment);

  const int fw = movie.width;
  const int fh = movie.height;
  const int cw = static_cast<int>(((fw + 15) & ~15) / 2);
  const int ch = static_cast<int>(((fh + 15) & ~15) / 2);
  std::vector<unsigned char> y_plane(static_cast<std::size_t>(cw * 2) * ch * 2, 16);
  std::vector<unsigned char> cb_plane(static_cast<std::size_t>(cw) * ch, 128);
  std::vector<unsigned char> cr_plane(static_cast<std::size_t>(cw) * ch, 128);
  th_ycbcr_buffer planes;
  planes[0] = {cw * 2, ch * 2, cw * 2, y_plane.data()};
  planes[1] = {cw, ch, cw, cb_plane.data()};
  planes[2] = {cw, ch, cw, cr_plane.data()};

  const auto frames = static_cast<long>(std::ceil(movie.length * movie.rate / 1000.0));
  std::vector<float> frame(static_cast<std::size_t>(fw) * fh * 3);
  bool ok = true;
  for (long n = 0; n < frames && ok; ++n) {
    const double t = (static_cast<double>(n) + 0.5) * 1000.0 / movie.rate;
    std::fill(frame.begin(), frame.end(), 0.0f);
    for (std::size_t s = 0; s < movie.shots.size(); ++s) {
      const double weight = moviegen::ShotWeight(movie.shots[s], t);
      if (weight > 0.0)
        AddShot(*plates[s], moviegen::ShotCamera(movie.shots[s], t), weight, fw, fh, frame);
    }
    ToYCbCr(frame, fw, fh, planes);
    ok = th_encode_ycbcr_in(encoder, planes) == 0;
    while (ok && th_encode_packetout(encoder, n + 1 == frames ? 1 : 0, &op) > 0) {
      ogg_stream_packetin(&stream, &op);
      WritePages(stream, out, false);
    }
  }
  WritePages(stream, out, true);
  ogg_stream_clear(&stream);
  th_encode_free(encoder);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: moviegen RECIPE ART_FOLDER OUT.ogv\n");
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  const fs::path recipe_path = argv[1];
  const fs::path art = argv[2];
  const fs::path out_path = argv[3];
  const std::optional<std::string> text = ReadText(recipe_path);
  if (!text) {
    std::fprintf(stderr, "moviegen: %s: cannot be read\n", recipe_path.c_str());
    return 1;
  }
  std::string problem;
  const std::optional<moviegen::MovieRecipe> movie = moviegen::ParseMovieRecipe(*text, &problem);
  if (!movie) {
    std::fprintf(stderr, "moviegen: %s: %s\n", recipe_path.c_str(), problem.c_str());
    return 1;
  }
  art::FontShelf fonts;
  std::map<std::string, std::size_t> painted;
  std::vector<Plate> unique;  // each picture painted once, however many shots show it
  for (const moviegen::Shot& shot : movie->shots) {
    if (painted.contains(shot.picture)) continue;
    std::optional<Plate> plate = PaintPlate(shot.picture, recipe_path.parent_path(), art, fonts);
    if (!plate) return 1;
    painted.emplace(shot.picture, unique.size());
    unique.push_back(std::move(*plate));
  }
  std::vector<const Plate*> plates;
  for (const moviegen::Shot& shot : movie->shots) plates.push_back(&unique[painted[shot.picture]]);
  std::string bytes;
  if (!Encode(*movie, plates, bytes)) {
    std::fprintf(stderr, "moviegen: the encoder refused %s\n", recipe_path.c_str());
    return 1;
  }
  const fs::path temporary = out_path.string() + ".part";
  std::error_code error;
  if (out_path.has_parent_path()) fs::create_directories(out_path.parent_path(), error);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "moviegen: cannot write %s\n", out_path.c_str());
      return 1;
    }
  }
  fs::rename(temporary, out_path, error);
  if (error) {
    std::fprintf(stderr, "moviegen: cannot write %s\n", out_path.c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("moviegen: %s: %zu bytes, %.1f s\n", out_path.filename().c_str(), bytes.size(),
              seconds);
  return 0;
}
