// Bitmap fonts: the ".zfi" description file, the loader that finds a font's
// page images, measuring, and drawing text at a point or laid out in a
// rectangle. Depends on the game files (archive.h) for the description and
// the page images, on the drawing services (render.h) for the glyph quads,
// and on the lenient UTF-8 stepping every text of the game goes through.
//
// All positions are worked out in double precision and handed to the
// renderer as floats clamped to the float range, so no font metric or scale,
// however wild, can overflow a conversion.
#include "engine/font.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>

#include "engine/archive.h"
#include "engine/log.h"
#include "engine/utf8.h"

namespace {

constexpr std::string_view kMagic = "QMR_FONT_INFO";
constexpr std::size_t kHeaderSize = 29;
constexpr std::size_t kGlyphRecordSize = 54;
constexpr uint32_t kGlyphTableSize = 65536;
constexpr uint32_t kLineFeed = 10;
constexpr uint32_t kBlank = 32;
// The word table starts with room for this many words and grows by as many.
constexpr std::size_t kWordBlock = 1024;

// --- Reading the description ---------------------------------------------------

// Little-endian fields; the caller has checked the length.
uint32_t ReadU32(std::string_view bytes, std::size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t ReadU16(std::string_view bytes, std::size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
int32_t ReadI32(std::string_view bytes, std::size_t at) {
  return static_cast<int32_t>(ReadU32(bytes, at));
}
float ReadF32(std::string_view bytes, std::size_t at) {
  return std::bit_cast<float>(ReadU32(bytes, at));
}

// --- Module state ----------------------------------------------------------------

// Every font LoadFont handed out; FreeFont and FreeAllFonts end them.
std::vector<std::unique_ptr<Font>> g_fonts;
// The typewriter limit of draws with TEXT_LENGTH.
int g_text_length = 0;

// A word of a rectangle's layout: a byte range of the text and its place.
struct WordSlot {
  std::size_t begin;
  std::size_t end;
  double width;  // whole pixels at the draw's scale
  double x;
  double y;
};

// Scratch buffers shared by every draw: the draw list replays its texts each
// frame, and once these have grown to the longest text nothing is allocated.
// They hold nothing between calls.
std::vector<TexturedQuad> g_quads;
std::vector<uint16_t> g_quad_pages;
std::vector<WordSlot> g_words;

// --- Arithmetic --------------------------------------------------------------------

// Nearest whole number, halves to the even neighbour (7.5 -> 8, 6.5 -> 6),
// whatever the floating-point rounding mode happens to be.
double RoundHalfEven(double v) {
  const double below = std::floor(v);
  const double fraction = v - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1.0;
  return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

// Whole-number division that drops the remainder, as the layout has always
// halved its free room (-7 div 2 = -3).
double HalfTowardZero(double v) { return std::trunc(v / 2.0); }

// Floats of the public calls become doubles here, and only here.
double Wide(float v) { return static_cast<double>(v); }

float ToFloat(double v) {
  if (v > static_cast<double>(FLT_MAX)) return FLT_MAX;
  if (v < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
  return static_cast<float>(v);
}

// Width of the widest line at scale 1; characters without a glyph add nothing.
double MeasureLines(const Font& font, std::string_view text, double step) {
  if (text.empty()) return 0.0;
  double widest = 0.0;
  double line = 0.0;
  bool first_line = true;
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Step c = Utf8Decode(text, pos);
    pos = c.next;
    if (c.codepoint == kLineFeed) {
      widest = first_line ? line : std::max(widest, line);
      first_line = false;
      line = 0.0;
      continue;
    }
    if (const Glyph* g = font.glyph(c.codepoint)) line += static_cast<double>(g->advance) + step;
  }
  return first_line ? line : std::max(widest, line);
}

bool HasEveryPage(const Font& font) {
  return !font.pages.empty() && std::none_of(font.pages.begin(), font.pages.end(),
                                             [](Texture* t) { return t == nullptr; });
}

// --- Text at a point -------------------------------------------------------------

// Fills the scratch quads with what a draw at (x, y) shows. limit < 0: no
// typewriter limit; otherwise only that many characters are taken.
void PlaceGlyphs(const Font& font, double x, double y, std::string_view text, uint32_t flags,
                 double scale, double step, int limit) {
  g_quads.clear();
  g_quad_pages.clear();
  if (text.empty()) return;

  double start_x = x;
  if (flags & TEXT_CENTRE) {
    start_x -= RoundHalfEven(MeasureLines(font, text, step) / 2.0) * scale;
  } else if (flags & TEXT_RIGHT) {
    start_x -= RoundHalfEven(MeasureLines(font, text, step)) * scale;
  }
  const double max_height = font.max_height;
  double pen_y = y - static_cast<double>(font.max_shift_y) * scale;
  if (flags & TEXT_VCENTRE) {
    pen_y -= static_cast<double>(font.max_height / 2) * scale;
  } else if (flags & TEXT_BOTTOM) {
    pen_y -= max_height * scale;
  }

  double pen_x = start_x;
  int taken = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    if (limit >= 0 && taken >= limit) break;
    const Utf8Step c = Utf8Decode(text, pos);
    pos = c.next;
    ++taken;
    if (c.codepoint == kLineFeed) {
      pen_x = start_x;
      pen_y += max_height * scale;
      continue;
    }
    const Glyph* g = font.glyph(c.codepoint);
    if (!g) continue;  // no glyph: no gap either
    const double shift_x = g->shift_x;
    const double base = max_height + static_cast<double>(g->shift_y);
    const float left = ToFloat(pen_x + (shift_x - font.padding_left) * scale);
    const float top = ToFloat(pen_y + (base - g->height - font.padding_top) * scale);
    const float right = ToFloat(pen_x + (g->width + shift_x + font.padding_right) * scale);
    const float bottom = ToFloat(pen_y + (base + font.padding_bottom) * scale);
    TexturedQuad q;
    q.x[0] = left;
    q.y[0] = top;
    q.x[1] = right;
    q.y[1] = top;
    q.x[2] = right;
    q.y[2] = bottom;
    q.x[3] = left;
    q.y[3] = bottom;
    std::copy(std::begin(g->u), std::end(g->u), q.u);
    std::copy(std::begin(g->v), std::end(g->v), q.v);
    g_quads.push_back(q);
    g_quad_pages.push_back(g->page);
    pen_x += (static_cast<double>(g->advance) + step) * scale;
  }
}

// Sends the scratch quads, one call for each run of glyphs on the same page.
void DrawPlacedGlyphs(const Font& font, uint8_t opacity) {
  const std::size_t n = g_quads.size();
  for (std::size_t i = 0; i < n;) {
    const uint16_t page = g_quad_pages[i];
    std::size_t j = i + 1;
    while (j < n && g_quad_pages[j] == page) ++j;
    if (page < font.pages.size()) DrawTexturedQuads(font.pages[page], &g_quads[i], j - i, opacity);
    i = j;
  }
}

// --- Text in a rectangle -----------------------------------------------------------

double WordWidth(const Font& font, std::string_view text, const WordSlot& word, double scale,
                 double step) {
  return RoundHalfEven(MeasureLines(font, text.substr(word.begin, word.end - word.begin), step) *
                       scale);
}

// Cuts the text into words and places them in the rectangle (see
// DrawTextInRect); the words land in g_words. Returns the number of lines.
int PlaceWords(const Font& font, double x, double y, double w, double h, std::string_view text,
               uint32_t flags, double scale, double step) {
  g_words.clear();
  if (g_words.capacity() < kWordBlock) g_words.reserve(kWordBlock);

  const double line_step = RoundHalfEven(font.max_height * scale);
  const double left = RoundHalfEven(x) + 1.0;
  const double top = RoundHalfEven(y) + 1.0;
  const double right_edge = RoundHalfEven(x + w - 1.0);
  const double room = w - 2.0;
  const bool clip = (flags & TEXT_CLIP) != 0;

  int lines = 0;
  std::size_t line_first = 0;  // the current line's first word in g_words
  double line_end = left;
  double line_top = top;

  // A line whose bottom would pass the rectangle's height is not started
  // when clipping (the bottom counts unscaled line heights).
  auto open_line = [&]() {
    if (clip && (lines + 1.0) * static_cast<double>(font.max_height) > h) return false;
    line_top = top + lines * line_step;
    ++lines;
    line_first = g_words.size();
    line_end = left;
    return true;
  };
  // Aligns a finished line; only a line ended by wrapping is ever justified.
  auto close_line = [&](bool wrapped) {
    const std::size_t count = g_words.size() - line_first;
    if (count == 0) return;
    double free_room = right_edge - line_end;
    double shift = 0.0;
    if (flags & TEXT_CENTRE) {
      shift = HalfTowardZero(free_room);
    } else if (flags & TEXT_RIGHT) {
      shift = free_room;
    } else if ((flags & TEXT_JUSTIFY) && wrapped && count >= 2) {
      // Every gap grows by a pixel while the room exceeds the gaps; the
      // last word takes what is left so the line ends at the right edge.
      const double gaps = static_cast<double>(count - 1);
      double growth = 0.0;
      if (free_room > gaps) {
        growth = std::ceil((free_room - gaps) / gaps);
        free_room -= growth * gaps;
      }
      for (std::size_t k = 0; k < count; ++k) g_words[line_first + k].x += growth * k;
      g_words.back().x += free_room;
      return;
    }
    for (std::size_t k = line_first; k < g_words.size(); ++k) g_words[k].x += shift;
  };
  auto append = [&](WordSlot word) {
    word.x = line_end;
    word.y = line_top;
    line_end += word.width;
    if (g_words.size() == g_words.capacity()) g_words.reserve(g_words.capacity() + kWordBlock);
    g_words.push_back(word);
  };

  if (!open_line()) return 0;
  bool line_open = true;
  bool paragraph_start = true;  // the first word of the text or after a line feed
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t blanks = pos;
    Utf8Step c = Utf8Decode(text, pos);
    while (c.codepoint == kBlank) {
      pos = c.next;
      if (pos >= text.size()) break;
      c = Utf8Decode(text, pos);
    }
    if (pos >= text.size()) break;  // blanks at the end belong to no word
    if (c.codepoint == kLineFeed) {
      pos = c.next;
      close_line(false);
      line_open = open_line();
      if (!line_open) break;
      paragraph_start = true;
      continue;
    }
    WordSlot word{paragraph_start ? pos : blanks, pos, 0.0, 0.0, 0.0};
    while (pos < text.size()) {
      c = Utf8Decode(text, pos);
      if (c.codepoint == kBlank || c.codepoint == kLineFeed) break;
      pos = c.next;
    }
    paragraph_start = false;
    word.end = pos;
    word.width = WordWidth(font, text, word, scale, step);
    append(word);
    if (line_end - left > room && g_words.size() - line_first >= 2) {
      // The word goes down to a line of its own and leaves its blanks behind.
      g_words.pop_back();
      line_end -= word.width;
      close_line(true);
      line_open = open_line();
      if (!line_open) break;
      while (word.begin < word.end) {
        const Utf8Step b = Utf8Decode(text, word.begin);
        if (b.codepoint != kBlank) break;
        word.begin = b.next;
      }
      word.width = WordWidth(font, text, word, scale, step);
      append(word);
    }
  }
  if (line_open) close_line(false);

  const double last_top = top + (lines - 1) * line_step;
  const double free_below = (y + h - 1.0) - (last_top + font.max_height * scale);
  double drop = 0.0;
  if (flags & TEXT_VCENTRE) {
    drop = HalfTowardZero(free_below);
  } else if (flags & TEXT_BOTTOM) {
    drop = free_below;
  }
  if (drop != 0.0) {
    for (WordSlot& word : g_words) word.y += drop;
  }
  return lines;
}

}  // namespace

// --- Fonts -----------------------------------------------------------------------

const Glyph* Font::glyph(uint32_t codepoint) const {
  if (codepoint >= glyph_index.size()) return nullptr;
  const int32_t index = glyph_index[codepoint];
  return index < 0 ? nullptr : &glyphs[static_cast<std::size_t>(index)];
}

std::unique_ptr<Font> ParseFontFile(std::string_view bytes, std::string* error) {
  auto refuse = [error](const char* why) {
    if (error) *error = why;
    return nullptr;
  };
  if (bytes.size() < kHeaderSize) return refuse("shorter than the font header");
  if (bytes.substr(0, kMagic.size()) != kMagic) return refuse("does not start with QMR_FONT_INFO");

  auto font = std::make_unique<Font>();
  const uint16_t pages_in_file = ReadU16(bytes, 13);
  font->glyph_count = ReadU16(bytes, 15);
  if (bytes.size() < kHeaderSize + kGlyphRecordSize * font->glyph_count) {
    return refuse("glyph records cut short");
  }
  // A font that names no pages still has the one page the registry gives it.
  font->page_count = std::max<uint16_t>(pages_in_file, 1);
  font->pages.assign(font->page_count, nullptr);
  font->max_height = ReadI32(bytes, 17);
  font->max_shift_y = ReadI32(bytes, 21);
  font->padding_left = static_cast<uint8_t>(bytes[25]);
  font->padding_top = static_cast<uint8_t>(bytes[26]);
  font->padding_right = static_cast<uint8_t>(bytes[27]);
  font->padding_bottom = static_cast<uint8_t>(bytes[28]);

  font->glyph_index.assign(kGlyphTableSize, -1);
  font->glyphs.reserve(font->glyph_count);
  for (std::size_t i = 0; i < font->glyph_count; ++i) {
    const std::size_t at = kHeaderSize + i * kGlyphRecordSize;
    const uint32_t codepoint = ReadU32(bytes, at);
    const auto page = static_cast<uint16_t>(ReadU32(bytes, at + 4) & 0xFFFFu);
    // Glyphs the table cannot index or that lie on no page are left out.
    if (codepoint >= kGlyphTableSize || page >= font->page_count) continue;
    Glyph g;
    g.page = page;
    g.width = static_cast<uint8_t>(bytes[at + 8]);
    g.height = static_cast<uint8_t>(bytes[at + 9]);
    g.shift_x = ReadI32(bytes, at + 10);
    g.shift_y = ReadI32(bytes, at + 14);
    g.advance = ReadI32(bytes, at + 18);
    for (std::size_t k = 0; k < 4; ++k) {
      g.u[k] = ReadF32(bytes, at + 22 + k * 8);
      g.v[k] = ReadF32(bytes, at + 26 + k * 8);
    }
    // A later record for the same character replaces the earlier one.
    int32_t& slot = font->glyph_index[codepoint];
    if (slot >= 0) {
      font->glyphs[static_cast<std::size_t>(slot)] = g;
    } else {
      slot = static_cast<int32_t>(font->glyphs.size());
      font->glyphs.push_back(g);
    }
  }
  return font;
}

Font* LoadFont(const std::string& file_name) {
  std::string bytes;
  if (!ReadGameFile(file_name, &bytes)) return nullptr;  // "Cannot read" is logged there
  std::unique_ptr<Font> font = ParseFontFile(bytes, nullptr);
  if (!font) {
    LogLine("Unable to load font: \"" + file_name + "\"", true);
    return nullptr;
  }
  // Page i is the PNG "<folder><stem>-page<i>.png" beside the description. A
  // page that is not there stays empty without a log line: the registry puts
  // "<stem>.png" in place of the first page.
  const std::size_t slash = file_name.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : file_name.substr(0, slash + 1);
  std::string stem = file_name.substr(folder.size());
  if (const std::size_t dot = stem.find_last_of('.'); dot != std::string::npos) stem.erase(dot);
  for (std::size_t i = 0; i < font->pages.size(); ++i) {
    const std::string page_name = folder + stem + "-page" + std::to_string(i) + ".png";
    if (!ListGameFiles(page_name, 1).empty()) font->pages[i] = LoadTexture(page_name);
  }
  g_fonts.push_back(std::move(font));
  return g_fonts.back().get();
}

void FreeFont(Font* font) {
  const auto it = std::find_if(g_fonts.begin(), g_fonts.end(),
                               [font](const std::unique_ptr<Font>& f) { return f.get() == font; });
  if (font == nullptr || it == g_fonts.end()) return;
  for (Texture* page : font->pages) {
    if (page) DeleteTexture(page);
  }
  g_fonts.erase(it);
}

void SetFontPage(Font* font, int page, Texture* texture) {
  if (!font || page < 0 || static_cast<std::size_t>(page) >= font->pages.size()) {
    if (texture) DeleteTexture(texture);
    return;
  }
  Texture*& slot = font->pages[static_cast<std::size_t>(page)];
  if (slot && slot != texture) DeleteTexture(slot);
  slot = texture;
}

std::size_t FontCount() { return g_fonts.size(); }

void FreeAllFonts() {
  for (const std::unique_ptr<Font>& font : g_fonts) {
    for (Texture* page : font->pages) {
      if (page) DeleteTexture(page);
    }
  }
  g_fonts.clear();
}

// --- Measuring -----------------------------------------------------------------

float TextWidth(const Font* font, std::string_view text, float step) {
  if (!font) return 0.0f;
  return ToFloat(MeasureLines(*font, text, Wide(step)));
}

float TextHeight(const Font* font, float width, std::string_view text, float scale, float step) {
  if (!font) return 0.0f;
  const int lines = PlaceWords(*font, 0.0, 0.0, Wide(width), 0.0, text, 0, Wide(scale), Wide(step));
  const double line_height = font->max_height * Wide(scale);
  return ToFloat(line_height + (lines - 1) * RoundHalfEven(line_height));
}

void SetTextLength(int n) { g_text_length = n; }

// --- Drawing ---------------------------------------------------------------------

// Colour and opacity hold for this one call; the drawing state is white with
// normal blending again afterwards. Per-corner colours (0x100) are accepted
// and ignored: no text of the game asks for them.
void DrawText(const Font* font, float x, float y, std::string_view text, uint32_t flags,
              float scale, float step, uint8_t opacity, uint32_t colour) {
  if (!font || text.empty() || !HasEveryPage(*font)) return;
  const int limit = (flags & TEXT_LENGTH) ? g_text_length : -1;
  PlaceGlyphs(*font, Wide(x), Wide(y), text, flags, Wide(scale), Wide(step), limit);
  SetDrawColor(colour);
  DrawPlacedGlyphs(*font, opacity);
  ResetDrawState();
}

// Each word is drawn as a text at its own top-left corner. The typewriter
// limit counts across the words of the whole rectangle, so the text still
// appears character by character; dropped blanks and line feeds do not count.
void DrawTextInRect(const Font* font, float x, float y, float w, float h, std::string_view text,
                    uint32_t flags, float scale, float step, uint8_t opacity, uint32_t colour) {
  if (!font || text.empty() || !HasEveryPage(*font)) return;
  PlaceWords(*font, Wide(x), Wide(y), Wide(w), Wide(h), text, flags, Wide(scale), Wide(step));
  const uint32_t word_flags = flags & (TEXT_CORNER_COLOURS | TEXT_LENGTH);
  const bool limited = (flags & TEXT_LENGTH) && g_text_length >= 0;
  int remaining = g_text_length;
  SetDrawColor(colour);
  for (const WordSlot& word : g_words) {
    if (limited && remaining <= 0) break;
    const std::string_view piece = text.substr(word.begin, word.end - word.begin);
    PlaceGlyphs(*font, word.x, word.y, piece, word_flags, Wide(scale), Wide(step),
                limited ? remaining : -1);
    DrawPlacedGlyphs(*font, opacity);
    if (limited) remaining -= Utf8Length(piece);
  }
  ResetDrawState();
}

// --- Layout without drawing ------------------------------------------------------

std::vector<PlacedGlyph> LayoutText(const Font& font, float x, float y, std::string_view text,
                                    uint32_t flags, float scale, float step, int length_limit) {
  PlaceGlyphs(font, Wide(x), Wide(y), text, flags, Wide(scale), Wide(step),
              (flags & TEXT_LENGTH) ? length_limit : -1);
  std::vector<PlacedGlyph> placed;
  placed.reserve(g_quads.size());
  for (std::size_t i = 0; i < g_quads.size(); ++i) placed.push_back({g_quad_pages[i], g_quads[i]});
  return placed;
}

std::vector<PlacedWord> LayoutTextInRect(const Font& font, float x, float y, float w, float h,
                                         std::string_view text, uint32_t flags, float scale,
                                         float step) {
  PlaceWords(font, Wide(x), Wide(y), Wide(w), Wide(h), text, flags, Wide(scale), Wide(step));
  std::vector<PlacedWord> placed;
  placed.reserve(g_words.size());
  for (const WordSlot& word : g_words) {
    placed.push_back({std::string(text.substr(word.begin, word.end - word.begin)), ToFloat(word.x),
                      ToFloat(word.y)});
  }
  return placed;
}
