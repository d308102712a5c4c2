// The software renderer's span blitter (see span_blit.h). A parallelogram
// is one affine map from window pixels to texels, so each row is a single
// run of pixels with a constant step through the texture: the inner loops
// only step two 16.16 fixed-point texel coordinates and blend.
#include "engine/span_blit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>  // four pixels at a time on every x86-64
#define QUILLMOOR_SPAN_SSE2 1
#endif

namespace {

// What an untextured rectangle samples: opaque white, tinted by its colour.
constexpr uint32_t kWhitePixel = 0xFFFFFFFFu;

// Slack allowed in "is a parallelogram": corners come through float
// transforms, so exact equality would refuse a turned sprite.
constexpr double kCornerSlack = 0.01;  // window pixels
constexpr double kTexSlack = 1.0e-4;   // texture fractions

// Pixels are sampled and covered at their centres.
constexpr double kCentre = 0.5;

struct Tint {
  uint32_t r;
  uint32_t g;
  uint32_t b;
  uint32_t a;
  bool colour;  // r, g or b below 255: the channels change, not only alpha
};

// Two 8-bit channels held as 0x00XX00YY: each times f (0..255), divided by
// 255 and cut, both at once; exact for every product of two bytes.
inline uint32_t ScaleLanes(uint32_t lanes, uint32_t f) {
  const uint32_t x = lanes * f;
  return ((x + 0x00010001u + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// Each channel of two lanes plus another's, stopping at 255.
inline uint32_t AddLanesSaturated(uint32_t x, uint32_t y) {
  uint32_t sum = x + y;
  const uint32_t over = sum & 0x01000100u;
  sum |= over - (over >> 8);
  return sum & 0x00FF00FFu;
}

inline uint32_t ApplyTint(uint32_t src, const Tint& tint) {
  uint32_t a = (src >> 24) * tint.a / 255u;
  if (!tint.colour) return a << 24 | (src & 0xFFFFFFu);
  const uint32_t r = ((src >> 16) & 0xFF) * tint.r / 255u;
  const uint32_t g = ((src >> 8) & 0xFF) * tint.g / 255u;
  const uint32_t b = (src & 0xFF) * tint.b / 255u;
  return a << 24 | r << 16 | g << 8 | b;
}

// One pixel of source over one of the target, in the renderer's arithmetic:
// the tint scales the source, then blending and adding work on the source
// scaled by its alpha; multiplying keeps the target where the source is
// transparent, whatever colour its invisible pixels hold.
template <SpanBlend kBlend, bool kTinted>
inline void BlendPixel(uint32_t* dst, uint32_t src, const Tint& tint) {
  if constexpr (kTinted) src = ApplyTint(src, tint);
  const uint32_t a = src >> 24;
  if constexpr (kBlend == SpanBlend::Copy) {
    *dst = src;
  } else if constexpr (kBlend == SpanBlend::Blend) {
    if (a == 0) return;
    if (a == 255) {
      *dst = src;
      return;
    }
    const uint32_t d = *dst;
    const uint32_t keep = 255u - a;
    const uint32_t rb = ScaleLanes(src & 0x00FF00FFu, a) + ScaleLanes(d & 0x00FF00FFu, keep);
    // The alpha lane takes the source's alpha itself, not scaled by it.
    const uint32_t ga = ((ScaleLanes((src >> 8) & 0x00FF00FFu, a) & 0xFFu) | a << 16) +
                        ScaleLanes((d >> 8) & 0x00FF00FFu, keep);
    *dst = rb | ga << 8;
  } else if constexpr (kBlend == SpanBlend::Add) {
    if (a == 0) return;
    uint32_t rb = src & 0x00FF00FFu;
    uint32_t g = (src >> 8) & 0xFFu;
    if (a < 255) {
      rb = ScaleLanes(rb, a);
      g = g * a / 255u;
    }
    const uint32_t d = *dst;
    const uint32_t sum_rb = AddLanesSaturated(rb, d & 0x00FF00FFu);
    const uint32_t sum_g = std::min(255u, g + ((d >> 8) & 0xFFu));
    *dst = (d & 0xFF000000u) | sum_rb | sum_g << 8;
  } else {
    const uint32_t d = *dst;
    const uint32_t r = (src >> 16) & 0xFF;
    const uint32_t g = (src >> 8) & 0xFF;
    const uint32_t b = src & 0xFF;
    uint32_t dr = (d >> 16) & 0xFF;
    uint32_t dg = (d >> 8) & 0xFF;
    uint32_t db = d & 0xFF;
    if constexpr (kBlend == SpanBlend::Modulate) {
      dr = r * dr / 255u;
      dg = g * dg / 255u;
      db = b * db / 255u;
    } else {  // Multiply
      const uint32_t keep = 255u - a;
      dr = std::min(255u, (r * dr + dr * keep) / 255u);
      dg = std::min(255u, (g * dg + dg * keep) / 255u);
      db = std::min(255u, (b * db + db * keep) / 255u);
    }
    *dst = (d & 0xFF000000u) | dr << 16 | dg << 8 | db;
  }
}

#if QUILLMOOR_SPAN_SSE2
// The same arithmetic on four pixels at once, for blending and adding, the
// modes of nearly every sprite and particle. Channels are widened to 16 bits,
// where every product of two bytes fits and divides by 255 exactly.
inline __m128i Div255(__m128i x) {
  const __m128i one = _mm_set1_epi16(1);
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}

// Each pixel's alpha in all four of its 16-bit channels.
inline __m128i SpreadAlpha(__m128i wide) {
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(wide, 0xFF), 0xFF);
}

template <SpanBlend kBlend, bool kTinted>
inline void BlendFour(uint32_t* dst, __m128i src, __m128i tint) {
  const __m128i zero = _mm_setzero_si128();
  // A tint never makes a transparent pixel show.
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_srli_epi32(src, 24), zero)) == 0xFFFF) return;
  __m128i src_lo = _mm_unpacklo_epi8(src, zero);
  __m128i src_hi = _mm_unpackhi_epi8(src, zero);
  if constexpr (kTinted) {
    src_lo = Div255(_mm_mullo_epi16(src_lo, tint));
    src_hi = Div255(_mm_mullo_epi16(src_hi, tint));
    src = _mm_packus_epi16(src_lo, src_hi);
  }
  const __m128i alpha_bytes = _mm_srli_epi32(src, 24);
  if constexpr (kTinted) {
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha_bytes, zero)) == 0xFFFF) return;
  }
  const __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
  if constexpr (kBlend == SpanBlend::Blend) {
    const __m128i full = _mm_cmpeq_epi32(alpha_bytes, _mm_set1_epi32(255));
    if (_mm_movemask_epi8(full) == 0xFFFF) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), src);
      return;
    }
    // The alpha channel takes the source alpha itself: times 255, over 255.
    const __m128i alpha_lane = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
    const __m128i ones = _mm_set1_epi16(255);
    const __m128i a_lo = SpreadAlpha(src_lo);
    const __m128i a_hi = SpreadAlpha(src_hi);
    const __m128i lo = _mm_add_epi16(
        Div255(_mm_mullo_epi16(src_lo, _mm_or_si128(a_lo, alpha_lane))),
        Div255(_mm_mullo_epi16(_mm_unpacklo_epi8(target, zero), _mm_sub_epi16(ones, a_lo))));
    const __m128i hi = _mm_add_epi16(
        Div255(_mm_mullo_epi16(src_hi, _mm_or_si128(a_hi, alpha_lane))),
        Div255(_mm_mullo_epi16(_mm_unpackhi_epi8(target, zero), _mm_sub_epi16(ones, a_hi))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(lo, hi));
  } else {  // Add: the target's alpha stays
    const __m128i colour_lanes = _mm_set_epi16(0, 255, 255, 255, 0, 255, 255, 255);
    const __m128i lo = Div255(_mm_mullo_epi16(src_lo, _mm_and_si128(SpreadAlpha(src_lo), colour_lanes)));
    const __m128i hi = Div255(_mm_mullo_epi16(src_hi, _mm_and_si128(SpreadAlpha(src_hi), colour_lanes)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     _mm_adds_epu8(target, _mm_packus_epi16(lo, hi)));
  }
}

inline __m128i TintLanes(const Tint& tint) {
  const auto r = static_cast<short>(tint.r);
  const auto g = static_cast<short>(tint.g);
  const auto b = static_cast<short>(tint.b);
  const auto a = static_cast<short>(tint.a);
  return _mm_set_epi16(a, r, g, b, a, r, g, b);
}

constexpr bool FourAtOnce(SpanBlend blend) {
  return blend == SpanBlend::Blend || blend == SpanBlend::Add;
}
#endif

// One row's run: texel coordinates start at (tx, ty) and step by (dtx, dty)
// per pixel, kept inside the texels the sprite may show.
struct Run {
  uint32_t* dst;
  int count;
  int32_t tx;
  int32_t ty;
  int32_t dtx;
  int32_t dty;
};

struct TexelBox {
  int x0;
  int y0;
  int x1;  // inclusive
  int y1;
};

// Everything the loops read is copied into locals first: the pixels they
// write are unsigned ints, which may alias the ints of the run and the box,
// and the compiler would otherwise read those again for every pixel.
template <SpanBlend kBlend, bool kTinted>
void DrawRun(const Run& run, const SpanSource& source, const TexelBox& box, const Tint& tint_in) {
  const Tint tint = tint_in;
  uint32_t* const dst = run.dst;
  const int count = run.count;
  const uint32_t* const pixels = source.pixels;
  const std::ptrdiff_t pitch = source.pitch;
  const int x0 = box.x0;
  const int x1 = box.x1;
  const int y0 = box.y0;
  const int y1 = box.y1;
  const int32_t dtx = run.dtx;
  const int32_t dty = run.dty;
  if (source.width == 1 && source.height == 1) {
    // A filled rectangle: one colour, tinted once.
    const uint32_t src = kTinted ? ApplyTint(pixels[0], tint) : pixels[0];
    int i = 0;
#if QUILLMOOR_SPAN_SSE2
    if constexpr (FourAtOnce(kBlend)) {
      const __m128i four = _mm_set1_epi32(static_cast<int>(src));
      for (; i + 4 <= count; i += 4) BlendFour<kBlend, false>(dst + i, four, four);
    }
#endif
    for (; i < count; ++i) BlendPixel<kBlend, false>(dst + i, src, tint);
    return;
  }
  int32_t tx = run.tx;
  int32_t ty = run.ty;
  if (dty == 0) {
    // The usual sprite, not turned: one texture row for the whole run.
    const uint32_t* row = pixels + std::clamp(ty >> 16, y0, y1) * pitch;
    const int first = tx >> 16;
    const int last = (tx + dtx * (count - 1)) >> 16;
    if (dtx == 0x10000 && first >= x0 && last <= x1) {
      // Drawn at its own size: texels in step with pixels.
      const uint32_t* src = row + first;
      if constexpr (kBlend == SpanBlend::Copy && !kTinted) {
        std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
      } else {
        int i = 0;
#if QUILLMOOR_SPAN_SSE2
        if constexpr (FourAtOnce(kBlend)) {
          const __m128i lanes = TintLanes(tint);
          for (; i + 4 <= count; i += 4)
            BlendFour<kBlend, kTinted>(
                dst + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)), lanes);
        }
#endif
        for (; i < count; ++i) BlendPixel<kBlend, kTinted>(dst + i, src[i], tint);
      }
      return;
    }
    if (std::min(first, last) >= x0 && std::max(first, last) <= x1) {
      int i = 0;
#if QUILLMOOR_SPAN_SSE2
      if constexpr (FourAtOnce(kBlend)) {
        const __m128i lanes = TintLanes(tint);
        for (; i + 4 <= count; i += 4, tx += 4 * dtx) {
          const __m128i four =
              _mm_set_epi32(static_cast<int>(row[(tx + 3 * dtx) >> 16]),
                            static_cast<int>(row[(tx + 2 * dtx) >> 16]),
                            static_cast<int>(row[(tx + dtx) >> 16]), static_cast<int>(row[tx >> 16]));
          BlendFour<kBlend, kTinted>(dst + i, four, lanes);
        }
      }
#endif
      for (; i < count; ++i, tx += dtx) BlendPixel<kBlend, kTinted>(dst + i, row[tx >> 16], tint);
      return;
    }
    for (int i = 0; i < count; ++i, tx += dtx)
      BlendPixel<kBlend, kTinted>(dst + i, row[std::clamp(tx >> 16, x0, x1)], tint);
    return;
  }
  // Both ends inside the texels: every step between is too.
  const int32_t end_x = tx + dtx * (count - 1);
  const int32_t end_y = ty + dty * (count - 1);
  const bool inside = std::min(tx, end_x) >> 16 >= x0 && std::max(tx, end_x) >> 16 <= x1 &&
                      std::min(ty, end_y) >> 16 >= y0 && std::max(ty, end_y) >> 16 <= y1;
  const int lx0 = inside ? INT32_MIN : x0;
  const int lx1 = inside ? INT32_MAX : x1;
  const int ly0 = inside ? INT32_MIN : y0;
  const int ly1 = inside ? INT32_MAX : y1;
  auto texel = [&](int32_t x, int32_t y) {
    return pixels[std::clamp(y >> 16, ly0, ly1) * pitch + std::clamp(x >> 16, lx0, lx1)];
  };
  int i = 0;
#if QUILLMOOR_SPAN_SSE2
  if constexpr (FourAtOnce(kBlend)) {
    const __m128i lanes = TintLanes(tint);
    for (; i + 4 <= count; i += 4, tx += 4 * dtx, ty += 4 * dty) {
      const __m128i four = _mm_set_epi32(static_cast<int>(texel(tx + 3 * dtx, ty + 3 * dty)),
                                         static_cast<int>(texel(tx + 2 * dtx, ty + 2 * dty)),
                                         static_cast<int>(texel(tx + dtx, ty + dty)),
                                         static_cast<int>(texel(tx, ty)));
      BlendFour<kBlend, kTinted>(dst + i, four, lanes);
    }
  }
#endif
  for (; i < count; ++i, tx += dtx, ty += dty)
    BlendPixel<kBlend, kTinted>(dst + i, texel(tx, ty), tint);
}

using RunDrawer = void (*)(const Run&, const SpanSource&, const TexelBox&, const Tint&);

template <bool kTinted>
RunDrawer PickDrawer(SpanBlend blend) {
  switch (blend) {
    case SpanBlend::Copy:
      return DrawRun<SpanBlend::Copy, kTinted>;
    case SpanBlend::Blend:
      return DrawRun<SpanBlend::Blend, kTinted>;
    case SpanBlend::Add:
      return DrawRun<SpanBlend::Add, kTinted>;
    case SpanBlend::Modulate:
      return DrawRun<SpanBlend::Modulate, kTinted>;
    case SpanBlend::Multiply:
      return DrawRun<SpanBlend::Multiply, kTinted>;
  }
  return DrawRun<SpanBlend::Copy, kTinted>;
}

// Narrows [lo, hi) to the pixel centres xc where v0 + dv * xc lies in [0, 1).
// False when no centre of the row can.
// inverse_dv is 1 / dv, worked out once per sprite.
bool Narrow(double v0, double dv, double inverse_dv, double* lo, double* hi) {
  if (std::fabs(dv) < 1.0e-12) return v0 >= 0.0 && v0 < 1.0;
  double a = -v0 * inverse_dv;
  double b = (1.0 - v0) * inverse_dv;
  if (a > b) std::swap(a, b);
  *lo = std::max(*lo, a);
  *hi = std::min(*hi, b);
  return *lo < *hi;
}

// A rectangle that is not turned lands where the renderer's own rectangle
// copy puts it: corner and size cut to whole pixels (a fill at least one
// pixel thick), and the part of the texture cut to whole texels. Thin lines
// and sprites on a scaled screen then fall on the same pixels either way.
void SnapRectangle(double x[4], double y[4], double u[4], double v[4], const SpanSource& source,
                   bool solid) {
  if (x[0] != x[3] || x[1] != x[2] || y[0] != y[1] || y[2] != y[3]) return;
  if (!(x[1] > x[0] && y[3] > y[0])) return;
  auto cut = [](double value) { return std::trunc(std::clamp(value, -1.0e7, 1.0e7)); };
  const double left = cut(x[0]);
  const double top = cut(y[0]);
  double w = cut(x[1] - x[0]);
  double h = cut(y[3] - y[0]);
  if (solid) {
    w = std::max(w, 1.0);
    h = std::max(h, 1.0);
  }
  x[0] = x[3] = left;
  x[1] = x[2] = left + w;
  y[0] = y[1] = top;
  y[2] = y[3] = top + h;
  if (solid) return;
  const double tw = source.width;
  const double th = source.height;
  if (u[1] > u[0] && u[0] == u[3] && u[1] == u[2]) {
    const double u0 = cut(u[0] * tw);
    const double u1 = u0 + cut((u[1] - u[0]) * tw);
    u[0] = u[3] = u0 / tw;
    u[1] = u[2] = u1 / tw;
  }
  if (v[3] > v[0] && v[0] == v[1] && v[2] == v[3]) {
    const double v0 = cut(v[0] * th);
    const double v1 = v0 + cut((v[3] - v[0]) * th);
    v[0] = v[1] = v0 / th;
    v[2] = v[3] = v1 / th;
  }
}

// 16.16 fixed point, rounded to nearest.
int32_t ToFixed(double v) {
  const double scaled = std::clamp(v, -32000.0, 32000.0) * 65536.0 + 0.5;
  auto whole = static_cast<int32_t>(scaled);
  if (static_cast<double>(whole) > scaled) --whole;
  return whole;
}

}  // namespace

bool BlitParallelogram(const SpanTarget& target, const SpanSource& given, const float xf[4],
                       const float yf[4], const float uf[4], const float vf[4], uint8_t red,
                       uint8_t green, uint8_t blue, uint8_t alpha, SpanBlend blend) {
  double x[4];
  double y[4];
  double u[4];
  double v[4];
  for (int i = 0; i < 4; ++i) {
    x[i] = static_cast<double>(xf[i]);
    y[i] = static_cast<double>(yf[i]);
    u[i] = static_cast<double>(uf[i]);
    v[i] = static_cast<double>(vf[i]);
    if (!std::isfinite(x[i]) || !std::isfinite(y[i]) || !std::isfinite(u[i]) ||
        !std::isfinite(v[i]))
      return false;
  }
  const double px = x[0];
  const double py = y[0];
  if (std::fabs(px + x[2] - x[1] - x[3]) > kCornerSlack ||
      std::fabs(py + y[2] - y[1] - y[3]) > kCornerSlack ||
      std::fabs(u[0] + u[2] - u[1] - u[3]) > kTexSlack ||
      std::fabs(v[0] + v[2] - v[1] - v[3]) > kTexSlack)
    return false;

  SpanSource source = given;
  if (source.pixels == nullptr) source = SpanSource{&kWhitePixel, 0, 1, 1};
  if (source.width <= 0 || source.height <= 0) return true;
  SnapRectangle(x, y, u, v, source, given.pixels == nullptr);

  // Edge vectors: s runs along the top edge, t down the left edge.
  const double e1x = x[1] - px;
  const double e1y = y[1] - py;
  const double e2x = x[3] - px;
  const double e2y = y[3] - py;
  const double det = e1x * e2y - e1y * e2x;
  if (std::fabs(det) < 1.0e-9) return true;  // no area: nothing shows
  const double ds_dx = e2y / det;
  const double ds_dy = -e2x / det;
  const double dt_dx = -e1y / det;
  const double dt_dy = e1x / det;
  const double inverse_ds_dx = ds_dx != 0.0 ? 1.0 / ds_dx : 0.0;
  const double inverse_dt_dx = dt_dx != 0.0 ? 1.0 / dt_dx : 0.0;

  // Texels as a function of (s, t).
  const double tw = source.width;
  const double th = source.height;
  const double tx_0 = u[0] * tw;
  const double tx_s = (u[1] - u[0]) * tw;
  const double tx_t = (u[3] - u[0]) * tw;
  const double ty_0 = v[0] * th;
  const double ty_s = (v[1] - v[0]) * th;
  const double ty_t = (v[3] - v[0]) * th;

  // Only the texels of the part drawn are ever sampled (a frame of a strip
  // never shows its neighbour).
  const double u_lo = std::min({u[0], u[1], u[2], u[3]}) * tw;
  const double u_hi = std::max({u[0], u[1], u[2], u[3]}) * tw;
  const double v_lo = std::min({v[0], v[1], v[2], v[3]}) * th;
  const double v_hi = std::max({v[0], v[1], v[2], v[3]}) * th;
  TexelBox box;
  box.x0 = std::clamp(static_cast<int>(std::floor(u_lo + 1.0e-3)), 0, source.width - 1);
  box.x1 = std::clamp(static_cast<int>(std::ceil(u_hi - 1.0e-3)) - 1, box.x0, source.width - 1);
  box.y0 = std::clamp(static_cast<int>(std::floor(v_lo + 1.0e-3)), 0, source.height - 1);
  box.y1 = std::clamp(static_cast<int>(std::ceil(v_hi - 1.0e-3)) - 1, box.y0, source.height - 1);

  const double min_y = std::min({y[0], y[1], y[2], y[3]});
  const double max_y = std::max({y[0], y[1], y[2], y[3]});
  const double min_x = std::min({x[0], x[1], x[2], x[3]});
  const double max_x = std::max({x[0], x[1], x[2], x[3]});
  const int row0 = std::max(target.clip_y0, static_cast<int>(std::ceil(min_y - kCentre)));
  const int row1 = std::min(target.clip_y1, static_cast<int>(std::ceil(max_y - kCentre)));
  if (row0 >= row1) return true;

  const bool tinted = red != 255 || green != 255 || blue != 255 || alpha != 255;
  const RunDrawer draw = tinted ? PickDrawer<true>(blend) : PickDrawer<false>(blend);
  const Tint tint{red, green, blue, alpha, red != 255 || green != 255 || blue != 255};
  const double step_tx = tx_s * ds_dx + tx_t * dt_dx;
  const double step_ty = ty_s * ds_dx + ty_t * dt_dx;
  Run run{};
  run.dtx = ToFixed(std::clamp(step_tx, -16000.0, 16000.0));
  run.dty = ToFixed(std::clamp(step_ty, -16000.0, 16000.0));

  for (int row = row0; row < row1; ++row) {
    const double yc = row + kCentre;
    // s and t at the row's pixel centre x = 0.
    const double s0 = (0.0 - px) * ds_dx + (yc - py) * ds_dy;
    const double t0 = (0.0 - px) * dt_dx + (yc - py) * dt_dy;
    double lo = min_x - 1.0;
    double hi = max_x + 1.0;
    if (!Narrow(s0, ds_dx, inverse_ds_dx, &lo, &hi) || !Narrow(t0, dt_dx, inverse_dt_dx, &lo, &hi))
      continue;
    const int first = std::max(target.clip_x0, static_cast<int>(std::ceil(lo - kCentre)));
    const int end = std::min(target.clip_x1, static_cast<int>(std::ceil(hi - kCentre)));
    if (first >= end) continue;
    const double xc = first + kCentre;
    const double s = s0 + ds_dx * xc;
    const double t = t0 + dt_dx * xc;
    run.dst = target.pixels + static_cast<std::ptrdiff_t>(row) * target.pitch + first;
    run.count = end - first;
    run.tx = ToFixed(tx_0 + tx_s * s + tx_t * t);
    run.ty = ToFixed(ty_0 + ty_s * s + ty_t * t);
    // The row below is fetched while this one is drawn: small sprites all
    // over the screen otherwise wait on its pixels row after row.
    if (row + 1 < row1)
      for (int i = 0; i < run.count; i += 16) __builtin_prefetch(run.dst + target.pitch + i, 1);
    draw(run, source, box, tint);
  }
  return true;
}
