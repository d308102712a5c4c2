// The software renderer's span blitter (see span_blit.h). A parallelogram
// is one affine map from window pixels to texels, so each row is a single
// run of pixels with a constant step through the texture: the inner loops
// only step two 16.16 fixed-point texel coordinates and blend.
#include "engine/span_blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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
};

// One pixel of source over one of the target, in the renderer's arithmetic:
// the tint scales the source, then blending and adding work on the source
// scaled by its alpha; multiplying keeps the target where the source is
// transparent, whatever colour its invisible pixels hold.
template <SpanBlend kBlend, bool kTinted>
inline void BlendPixel(uint32_t* dst, uint32_t src, const Tint& tint) {
  uint32_t a = src >> 24;
  uint32_t r = (src >> 16) & 0xFF;
  uint32_t g = (src >> 8) & 0xFF;
  uint32_t b = src & 0xFF;
  if constexpr (kTinted) {
    r = r * tint.r / 255u;
    g = g * tint.g / 255u;
    b = b * tint.b / 255u;
    a = a * tint.a / 255u;
  }
  if constexpr (kBlend == SpanBlend::Copy) {
    *dst = a << 24 | r << 16 | g << 8 | b;
    return;
  } else {
    if constexpr (kBlend == SpanBlend::Blend || kBlend == SpanBlend::Add) {
      if (a == 0) return;
    }
    const uint32_t d = *dst;
    uint32_t da = d >> 24;
    uint32_t dr = (d >> 16) & 0xFF;
    uint32_t dg = (d >> 8) & 0xFF;
    uint32_t db = d & 0xFF;
    if constexpr (kBlend == SpanBlend::Blend || kBlend == SpanBlend::Add) {
      if (a < 255) {
        r = r * a / 255u;
        g = g * a / 255u;
        b = b * a / 255u;
      }
    }
    if constexpr (kBlend == SpanBlend::Blend) {
      const uint32_t keep = 255u - a;
      dr = r + keep * dr / 255u;
      dg = g + keep * dg / 255u;
      db = b + keep * db / 255u;
      da = a + keep * da / 255u;
    } else if constexpr (kBlend == SpanBlend::Add) {
      dr = std::min(255u, r + dr);
      dg = std::min(255u, g + dg);
      db = std::min(255u, b + db);
    } else if constexpr (kBlend == SpanBlend::Modulate) {
      dr = r * dr / 255u;
      dg = g * dg / 255u;
      db = b * db / 255u;
    } else {  // Multiply
      const uint32_t keep = 255u - a;
      dr = std::min(255u, (r * dr + dr * keep) / 255u);
      dg = std::min(255u, (g * dg + dg * keep) / 255u);
      db = std::min(255u, (b * db + db * keep) / 255u);
    }
    *dst = da << 24 | dr << 16 | dg << 8 | db;
  }
}

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

template <SpanBlend kBlend, bool kTinted>
void DrawRun(const Run& run, const SpanSource& source, const TexelBox& box, const Tint& tint) {
  int32_t tx = run.tx;
  int32_t ty = run.ty;
  if (run.dty == 0) {
    // The usual sprite, not turned: one texture row for the whole run.
    const int sy = std::clamp(ty >> 16, box.y0, box.y1);
    const uint32_t* row = source.pixels + static_cast<std::ptrdiff_t>(sy) * source.pitch;
    if constexpr (kBlend == SpanBlend::Copy && !kTinted) {
      if (run.dtx == 0x10000) {
        const int sx = tx >> 16;
        if (sx >= box.x0 && sx + run.count - 1 <= box.x1) {
          std::memcpy(run.dst, row + sx, static_cast<std::size_t>(run.count) * 4);
          return;
        }
      }
    }
    for (int i = 0; i < run.count; ++i, tx += run.dtx)
      BlendPixel<kBlend, kTinted>(run.dst + i, row[std::clamp(tx >> 16, box.x0, box.x1)], tint);
    return;
  }
  for (int i = 0; i < run.count; ++i, tx += run.dtx, ty += run.dty) {
    const int sx = std::clamp(tx >> 16, box.x0, box.x1);
    const int sy = std::clamp(ty >> 16, box.y0, box.y1);
    BlendPixel<kBlend, kTinted>(run.dst + i,
                                source.pixels[static_cast<std::ptrdiff_t>(sy) * source.pitch + sx],
                                tint);
  }
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
bool Narrow(double v0, double dv, double* lo, double* hi) {
  if (std::fabs(dv) < 1.0e-12) return v0 >= 0.0 && v0 < 1.0;
  double a = -v0 / dv;
  double b = (1.0 - v0) / dv;
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

int32_t ToFixed(double v) {
  return static_cast<int32_t>(std::llround(std::clamp(v, -32000.0, 32000.0) * 65536.0));
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
  const Tint tint{red, green, blue, alpha};
  const double step_tx = tx_s * ds_dx + tx_t * dt_dx;
  const double step_ty = ty_s * ds_dx + ty_t * dt_dx;
  Run run{};
  run.dtx = static_cast<int32_t>(std::llround(step_tx * 65536.0));
  run.dty = static_cast<int32_t>(std::llround(step_ty * 65536.0));

  for (int row = row0; row < row1; ++row) {
    const double yc = row + kCentre;
    // s and t at the row's pixel centre x = 0.
    const double s0 = (0.0 - px) * ds_dx + (yc - py) * ds_dy;
    const double t0 = (0.0 - px) * dt_dx + (yc - py) * dt_dy;
    double lo = min_x - 1.0;
    double hi = max_x + 1.0;
    if (!Narrow(s0, ds_dx, &lo, &hi) || !Narrow(t0, dt_dx, &lo, &hi)) continue;
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
    draw(run, source, box, tint);
  }
  return true;
}
