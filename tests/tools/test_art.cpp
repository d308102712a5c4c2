// The placeholder-art tool: reading recipes, their arithmetic, painting, and
// the shipped recipes of content/art.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "tools/art_paint.h"
#include "tools/art_pictures.h"
#include "tools/art_recipe.h"
#include "tools/art_sprites.h"

namespace {

namespace fs = std::filesystem;

const fs::path kArtFolder = fs::path(__FILE__).parent_path() / ".." / ".." / "content" / "art";

art::Picture Paint(const std::string& text, art::FontShelf* fonts = nullptr,
                   std::map<std::string, std::string> includes = {}) {
  art::PaintSetup setup;
  setup.fonts = fonts;
  setup.max_steps = 200000;
  setup.load_include = [includes](const std::string& path) -> std::optional<std::string> {
    auto found = includes.find(path);
    if (found == includes.end()) return std::nullopt;
    return found->second;
  };
  return art::PaintRecipe(art::ParseRecipe(text), setup);
}

// The line and message of the fault a recipe raises, or "" when it paints.
std::pair<int, std::string> Fault(const std::string& text, art::FontShelf* fonts = nullptr,
                                  std::map<std::string, std::string> includes = {}) {
  try {
    Paint(text, fonts, std::move(includes));
  } catch (const art::RecipeError& error) {
    return {error.line(), error.what()};
  }
  return {0, ""};
}

uint32_t Alpha(uint32_t pixel) { return pixel >> 24; }
uint32_t Red(uint32_t pixel) { return (pixel >> 16) & 255; }
uint32_t Green(uint32_t pixel) { return (pixel >> 8) & 255; }

double Value(std::string_view expression, std::map<std::string, std::string> names = {}) {
  art::Random random(1);
  const art::VariableLookup lookup = [names](std::string_view name) -> std::optional<std::string> {
    auto found = names.find(std::string(name));
    if (found == names.end()) return std::nullopt;
    return found->second;
  };
  return art::Evaluate(expression, lookup, random);
}

}  // namespace

// --- Reading ------------------------------------------------------------------------

TEST(ArtRecipe, SplitsWordsQuotesAndOptions) {
  const art::Recipe recipe =
      art::ParseRecipe("text 10 20 30 \"two words\" align=center font=\"serif bold\" ; remark\n");
  ASSERT_EQ(recipe.statements.size(), 1u);
  const art::Statement& s = recipe.statements[0];
  EXPECT_EQ(s.command, "text");
  ASSERT_EQ(s.args.size(), 4u);
  EXPECT_EQ(s.args[3].text, "two words");
  EXPECT_TRUE(s.args[3].quoted);
  EXPECT_FALSE(s.args[0].quoted);
  ASSERT_EQ(s.options.size(), 2u);
  EXPECT_EQ(s.options[0].key, "align");
  EXPECT_EQ(s.options[0].value.text, "center");
  EXPECT_EQ(s.options[1].value.text, "serif bold");
  EXPECT_TRUE(s.options[1].value.quoted);
}

TEST(ArtRecipe, QuotedEqualsSignsAndComparisonsStayPositional) {
  const art::Recipe recipe = art::ParseRecipe("text 0 0 9 \"a=b\"\nif x==1\nend\nlet y = 2\n");
  EXPECT_TRUE(recipe.statements[0].options.empty());
  EXPECT_EQ(recipe.statements[0].args[3].text, "a=b");
  EXPECT_EQ(recipe.statements[1].args[0].text, "x==1");
  EXPECT_EQ(recipe.statements[2].args.size(), 3u);
  // Escapes inside quotes, and a semicolon inside them is no remark.
  const art::Recipe escaped = art::ParseRecipe("text 0 0 9 \"say \\\"hi\\\"; twice\"\n");
  EXPECT_EQ(escaped.statements[0].args[3].text, "say \"hi\"; twice");
}

TEST(ArtRecipe, NestsBlocksAndKeepsElseApart) {
  const art::Recipe recipe = art::ParseRecipe(
      "repeat i 3\n"
      "  if i>1\n"
      "    rect 0 0 1 1\n"
      "  else\n"
      "    circle 0 0 1\n"
      "    circle 0 0 2\n"
      "  end\n"
      "end\n"
      "fill\n");
  ASSERT_EQ(recipe.statements.size(), 2u);
  const art::Statement& loop = recipe.statements[0];
  ASSERT_EQ(loop.body.size(), 1u);
  EXPECT_EQ(loop.body[0].body.size(), 1u);
  EXPECT_EQ(loop.body[0].else_body.size(), 2u);
  EXPECT_EQ(loop.body[0].else_body[1].line, 6);
  EXPECT_EQ(recipe.statements[1].line, 9);
}

TEST(ArtRecipe, JoinsContinuedLinesAndCountsLinesFromTheirStart) {
  const art::Recipe recipe = art::ParseRecipe("\n; remark\npoly 0 0 \\\n  10 0 \\\n  10 10\nfill\n");
  ASSERT_EQ(recipe.statements.size(), 2u);
  EXPECT_EQ(recipe.statements[0].line, 3);
  EXPECT_EQ(recipe.statements[0].args.size(), 6u);
  EXPECT_EQ(recipe.statements[1].line, 6);
}

TEST(ArtRecipe, FaultsNameTheirLine) {
  const struct {
    const char* text;
    int line;
    const char* words;
  } cases[] = {
      {"canvas 1 1\nrepeat i 2\n  fill\n", 2, "no \"end\""},
      {"canvas 1 1\nend\n", 2, "without an open block"},
      {"repeat i 2\nelse\nend\n", 1, "only an \"if\""},
      {"if 1\nelse\nelse\nend\n", 1, "two \"else\""},
      {"\ntext 0 0 9 \"open\n", 2, "closing quote"},
      {"text 0 0 9 \"a\"b\n", 1, "runs into"},
      {"fill \\", 1, "backslash"},
      {"\"quoted\" 1 2\n", 1, "command word"},
      {"rect align=\n", 1, "has no value"},
      {"end extra\n", 1, "without an open block"},
  };
  for (const auto& c : cases) {
    try {
      art::ParseRecipe(c.text);
      ADD_FAILURE() << "read without a fault: " << c.text;
    } catch (const art::RecipeError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text;
      EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
    }
  }
}

TEST(ArtRecipe, RefusesBinaryOversizedAndTooDeeplyNestedInput) {
  EXPECT_THROW(art::ParseRecipe(std::string("canvas 1 1\n\0", 12)), art::RecipeError);
  EXPECT_THROW(art::ParseRecipe(std::string(art::kMaxRecipeBytes + 1, ' ')), art::RecipeError);
  std::string deep;
  for (int i = 0; i <= art::kMaxBlockDepth; ++i) deep += "layer\n";
  for (int i = 0; i <= art::kMaxBlockDepth; ++i) deep += "end\n";
  EXPECT_THROW(art::ParseRecipe(deep), art::RecipeError);
}

// --- Arithmetic -----------------------------------------------------------------------

TEST(ArtExpression, FollowsPrecedenceSignsAndFunctions) {
  EXPECT_DOUBLE_EQ(Value("1+2*3"), 7.0);
  EXPECT_DOUBLE_EQ(Value("(1+2)*3"), 9.0);
  EXPECT_DOUBLE_EQ(Value("-2^2"), -4.0);
  EXPECT_DOUBLE_EQ(Value("2^3^2"), 512.0);
  EXPECT_DOUBLE_EQ(Value("7%3"), 1.0);
  EXPECT_DOUBLE_EQ(Value("-1%3"), 2.0);  // the remainder has the divisor's sign
  EXPECT_NEAR(Value("sin(90)+cos(180)"), 0.0, 1e-12);
  EXPECT_NEAR(Value("atan2(1,1)"), 45.0, 1e-12);
  EXPECT_DOUBLE_EQ(Value("max(2,5)-min(2,5)+clamp(9,0,4)+lerp(10,20,0.5)"), 22.0);
  EXPECT_DOUBLE_EQ(Value("3>2&&1<0"), 0.0);
  EXPECT_DOUBLE_EQ(Value("3>2||1<0"), 1.0);
  EXPECT_DOUBLE_EQ(Value("!0+(2<=2)+(2!=2)"), 2.0);
  EXPECT_NEAR(Value("pi"), 3.14159265358979, 1e-12);
}

TEST(ArtExpression, ReadsNumericVariablesOnly) {
  EXPECT_DOUBLE_EQ(Value("x*2+y", {{"x", "4"}, {"y", "-0.5"}}), 7.5);
  EXPECT_THROW(Value("x", {{"x", "#ffffff"}}), art::RecipeError);
  EXPECT_THROW(Value("nobody"), art::RecipeError);
  EXPECT_THROW(Value("frobnicate(1)"), art::RecipeError);
  EXPECT_THROW(Value("sin(1,2)"), art::RecipeError);
}

TEST(ArtExpression, MalformedTextIsAFaultNotACrash) {
  for (const char* bad : {"", "1+", "(1", "1)", "1/0", "5%0", "2 3", "*4", "max(1,", "1..2"}) {
    EXPECT_THROW(Value(bad), art::RecipeError) << bad;
  }
  EXPECT_THROW(Value(std::string(5000, '(') + "1" + std::string(5000, ')')), art::RecipeError);
  EXPECT_THROW(Value(std::string(5000, '-') + "1"), art::RecipeError);
}

TEST(ArtExpression, RandomNumbersRepeatForTheSameSeed) {
  art::Random a(42), b(42), c(43);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const uint64_t x = a.next();
    EXPECT_EQ(x, b.next());
    differs = differs || x != c.next();
  }
  EXPECT_TRUE(differs);
  art::Random random(7);
  std::set<double> seen;
  for (int i = 0; i < 400; ++i) {
    const double v = art::Evaluate("irnd(2,4)", nullptr, random);
    EXPECT_GE(v, 2.0);
    EXPECT_LE(v, 4.0);
    EXPECT_EQ(v, std::floor(v));
    seen.insert(v);
  }
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(art::FormatNumber(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(art::FormatNumber(-3), "-3");
}

// --- Painting -------------------------------------------------------------------------

TEST(ArtPaint, FillsPathsWithTheSourceAndLeavesTheRestClear) {
  const art::Picture picture = Paint(
      "canvas 40 20\n"
      "color #ff0000\n"
      "rect 0 0 10 10\n"
      "fill\n"
      "alpha 0.5\n"
      "color #00ff00\n"
      "circle 30 10 5\n"
      "fill\n");
  ASSERT_EQ(picture.width(), 40);
  ASSERT_EQ(picture.height(), 20);
  EXPECT_EQ(picture.Pixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(picture.Pixel(15, 5), 0u);
  EXPECT_NEAR(Alpha(picture.Pixel(30, 10)), 128u, 1u);
  EXPECT_EQ(Green(picture.Pixel(30, 10)), 255u);
  EXPECT_EQ(picture.Pixel(-1, 0), 0u);
  EXPECT_EQ(picture.Pixel(40, 0), 0u);
}

TEST(ArtPaint, GradientsRunBetweenTheirStops) {
  const art::Picture picture = Paint(
      "canvas 101 4\n"
      "linear 0 0 100 0 0:#000000 1:#ff0000\n"
      "paint\n");
  EXPECT_EQ(Red(picture.Pixel(0, 1)), 1u);
  EXPECT_NEAR(Red(picture.Pixel(50, 1)), 128u, 2u);
  EXPECT_GE(Red(picture.Pixel(100, 1)), 253u);
}

TEST(ArtPaint, TheSameRecipeGivesTheSameBytesAndTheSeedChangesThem) {
  art::FontShelf fonts;
  const std::string body =
      "canvas 96 64\n"
      "noise clouds scale=20 color=#204060\n"
      "stars 0 0 96 30 20\n"
      "color #ffffff\n"
      "bolt 48 0 40 64\n"
      "stroke 1.5\n"
      "text 48 50 20 \"Qm\" align=center font=serif\n"
      "fill\n"
      "layer blur=4 bevel=3\n"
      "  rrect 10 10 30 20 5\n"
      "  fill\n"
      "end\n";
  const std::vector<uint8_t> first = Paint("seed 3\n" + body, &fonts).EncodePng();
  const std::vector<uint8_t> again = Paint("seed 3\n" + body, &fonts).EncodePng();
  const std::vector<uint8_t> other = Paint("seed 4\n" + body, &fonts).EncodePng();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
}

TEST(ArtPaint, LayerTintBlurAndSpreadMakeAHaloAroundTheShape) {
  const art::Picture sharp = Paint("canvas 60 60\ncolor #ffffff\nrect 20 20 20 20\nfill\n");
  const art::Picture halo = Paint(
      "canvas 60 60\n"
      "layer tint=#00ff00 blur=8 spread=2 dx=2\n"
      "  color #ffffff\n"
      "  rect 20 20 20 20\n"
      "  fill\n"
      "end\n");
  EXPECT_EQ(sharp.Pixel(17, 30), 0u);
  const uint32_t outside = halo.Pixel(17, 30);
  EXPECT_GT(Alpha(outside), 0u);
  EXPECT_EQ(Red(outside), 0u);
  EXPECT_EQ(Green(outside), 255u);
  // Shifted right by dx: more halo right of the square than left of it.
  EXPECT_GT(Alpha(halo.Pixel(44, 30)), Alpha(halo.Pixel(15, 30)));
  EXPECT_EQ(Alpha(halo.Pixel(30, 30)), 255u);
}

TEST(ArtPaint, BevelLightsTheUpperLeftAndShadesTheLowerRight) {
  const art::Picture picture = Paint(
      "canvas 80 80\n"
      "layer bevel=8\n"
      "  color #808080\n"
      "  rect 10 10 60 60\n"
      "  fill\n"
      "end\n");
  EXPECT_GT(Red(picture.Pixel(12, 40)), 0x90u);
  EXPECT_LT(Red(picture.Pixel(67, 40)), 0x70u);
  EXPECT_GT(Red(picture.Pixel(40, 12)), 0x90u);
  EXPECT_EQ(Red(picture.Pixel(40, 40)), 0x80u);  // the flat middle is untouched
}

TEST(ArtPaint, BlendInsideMasksALayerByTheSourcesAlpha) {
  const art::Picture picture = Paint(
      "canvas 100 10\n"
      "layer\n"
      "  color #ffffff\n"
      "  paint\n"
      "  linear 0 0 100 0 0:#000000ff 1:#00000000\n"
      "  blend inside\n"
      "  paint\n"
      "end\n");
  EXPECT_GT(Alpha(picture.Pixel(2, 5)), 240u);
  EXPECT_LT(Alpha(picture.Pixel(97, 5)), 15u);
}

TEST(ArtPaint, MacrosTakeValuesAndKeepTheirNamesToThemselves) {
  // Each call sets its own `x`; the recursion must not overwrite the
  // caller's, or the bars land in the wrong places.
  const art::Picture picture = Paint(
      "canvas 40 10\n"
      "color #ffffff\n"
      "macro bar depth\n"
      "  let x $depth*10\n"
      "  if $depth>0\n"
      "    call bar $depth-1\n"
      "  end\n"
      "  rect $x 0 2 10\n"
      "  fill\n"
      "end\n"
      "let x 99\n"
      "call bar 3\n"
      "rect $x-90 0 1 1\n"
      "fill\n");
  for (int x : {0, 10, 20, 30}) EXPECT_EQ(Alpha(picture.Pixel(x, 5)), 255u) << x;
  EXPECT_EQ(Alpha(picture.Pixel(5, 5)), 0u);
  EXPECT_EQ(Alpha(picture.Pixel(9, 0)), 255u);  // the recipe's own x is still 99
}

TEST(ArtPaint, RepeatCountsAndLetAccumulates) {
  const art::Picture picture = Paint(
      "canvas 50 5\n"
      "color #ffffff\n"
      "let at 0\n"
      "repeat i 5\n"
      "  rect $at 0 1 5\n"
      "  let at $at+$i+1\n"
      "end\n"
      "fill\n");
  for (int x : {0, 1, 3, 6, 10}) EXPECT_EQ(Alpha(picture.Pixel(x, 2)), 255u) << x;
  for (int x : {2, 4, 5, 7, 15}) EXPECT_EQ(Alpha(picture.Pixel(x, 2)), 0u) << x;
}

TEST(ArtPaint, IncludesComeOnlyFromBelowTheArtFolder) {
  const std::map<std::string, std::string> lib = {{"lib/dot.arti", "macro dot\n  rect 0 0 1 1\n  fill\nend\n"},
                                                  {"lib/bad.arti", "macro x\n\nfrob\nend\n"}};
  const art::Picture picture = Paint("canvas 2 2\ninclude lib/dot.arti\ncolor #fff\ncall dot\n", nullptr, lib);
  EXPECT_EQ(Alpha(picture.Pixel(0, 0)), 255u);
  for (const char* path : {"../secret.arti", "/etc/passwd", "lib/dot.txt", "lib/missing.arti", "lib/d\"q.arti"}) {
    const auto [line, message] = Fault(std::string("canvas 2 2\ninclude ") + path + "\n", nullptr, lib);
    EXPECT_EQ(line, 2) << path;
    EXPECT_FALSE(message.empty()) << path;
  }
  // A fault inside the shared file names the file and its own line.
  const auto [line, message] = Fault("canvas 2 2\ninclude lib/bad.arti\ncall x\n", nullptr, lib);
  EXPECT_EQ(line, 3);
  EXPECT_NE(message.find("lib/bad.arti:3"), std::string::npos) << message;
}

TEST(ArtPaint, FaultsNameTheirLine) {
  art::FontShelf fonts;
  const struct {
    const char* text;
    int line;
    const char* words;
  } cases[] = {
      {"canvas 4 4\n\nfrobnicate 1\n", 3, "unknown command"},
      {"canvas 4 4\ncolor #12345\n", 2, "not a colour"},
      {"canvas 5000 4\n", 1, "canvas must be"},
      {"canvas 0 4\n", 1, "canvas must be"},
      {"rect 0 0 1 1\n", 1, "before anything is drawn"},
      {"seed 1\n", 0, "no canvas"},
      {"canvas 4 4\ncanvas 4 4\n", 2, "one canvas"},
      {"canvas 4 4\nrestore\n", 2, "without \"save\""},
      {"canvas 4 4\nrect 0 0 1\n", 2, "rect X Y W H"},
      {"canvas 4 4\nrect 0 0 1 $nowhere\n", 2, "unknown variable"},
      {"canvas 4 4\nstroke 1 wide=2\n", 2, "no option"},
      {"canvas 4 4\nblend sideways\n", 2, "unknown blend"},
      {"canvas 4 4\nlayer bevel=200\nend\n", 2, "bevel"},
      {"canvas 4 4\ncall nothing\n", 2, "unknown macro"},
      {"canvas 4 4\nmacro m a\nend\ncall m\n", 4, "takes 1"},
      {"canvas 4 4\nmacro m\n  call m\nend\ncall m\n", 3, "too deeply"},
      {"canvas 4 4\nrepeat i 1e6\nend\n", 2, "0 to 100000"},
      {"canvas 4 4\nrepeat i 100000\n  repeat j 100000\n  end\nend\n", 3, "too much work"},
      {"canvas 4 4\ntext 0 0 9 \"x\" font=nosuchfont\n", 2, "not installed"},
      {"canvas 4 4\ntext 0 0 9 \"x\" font=../../etc/passwd\n", 2, "must be an alias"},
      {"canvas 4 4\ntext 0 0 9 \"\xff\xfe\"\n", 2, "cannot be set"},
      {"canvas 4 4\nscale 0\n", 2, "flattens"},
      {"canvas 4 4\nrepeat i 40\n  scale 0.2\nend\nrect 0 0 1 1\nfill\n", 3, "out of range"},
      {"canvas 4 4\nlet x 1e300*1e300\n", 2, "out of range"},
  };
  for (const auto& c : cases) {
    const auto [line, message] = Fault(c.text, &fonts);
    EXPECT_EQ(line, c.line) << c.text << " -> " << message;
    EXPECT_NE(message.find(c.words), std::string::npos) << c.text << " -> " << message;
  }
}

TEST(ArtPaint, TextIsCentredAndMiddledOnItsPoint) {
  art::FontShelf fonts;
  const art::Picture picture = Paint(
      "canvas 200 100\n"
      "color #ffffff\n"
      "text 100 50 40 \"HOH\" align=center valign=middle font=sans-bold\n"
      "fill\n",
      &fonts);
  int left = 200, right = -1, top = 100, bottom = -1;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 200; ++x) {
      if (Alpha(picture.Pixel(x, y)) > 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  ASSERT_GE(right, 0) << "no ink";
  EXPECT_NEAR((left + right) / 2.0, 100.0, 3.0);
  EXPECT_NEAR((top + bottom) / 2.0, 50.0, 2.0);
  EXPECT_GT(right - left, 60);
}

TEST(ArtPaint, SeededShapesRepeatExactly) {
  // A glow drawn under a bolt must follow the very same fork as its core.
  const std::string twice =
      "canvas 64 64\ncolor #ffffff\nbolt 32 0 32 64 seed=5\nstroke 1\n"
      "color #000000\nbolt 32 0 32 64 seed=5\nstroke 1\n";
  const art::Picture picture = Paint(twice);
  int white = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint32_t p = picture.Pixel(x, y);
      if (Alpha(p) == 255 && Red(p) > 200) ++white;
    }
  }
  EXPECT_EQ(white, 0);
}

TEST(ArtPaint, ShiftedNoiseContinuesTheSameField) {
  // The menu's lightning overlay lies at (158, 18) and must light exactly the
  // clouds of the background: a field shifted by ox, oy is the same field.
  const art::Picture wide = Paint("canvas 64 48\nnoise clouds scale=9 seed=7 color=#ffffff\n");
  const art::Picture part = Paint("canvas 40 30\nnoise clouds scale=9 seed=7 color=#ffffff ox=20 oy=12\n");
  for (int y = 0; y < 30; y += 3) {
    for (int x = 0; x < 40; x += 3) EXPECT_EQ(part.Pixel(x, y), wide.Pixel(x + 20, y + 12)) << x << "," << y;
  }
  // Every kind of noise varies and stays inside its amount.
  for (const char* kind : {"clouds", "ridged", "grain", "wood"}) {
    const art::Picture picture =
        Paint(std::string("canvas 32 32\nnoise ") + kind + " scale=6 amount=0.5 color=#ffffff\n");
    std::set<uint32_t> alphas;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        alphas.insert(Alpha(picture.Pixel(x, y)));
        EXPECT_LE(Alpha(picture.Pixel(x, y)), 128u) << kind;
      }
    }
    EXPECT_GT(alphas.size(), 8u) << kind;
  }
}

TEST(ArtPaint, LayersAndTexturesLandOnlyInsideTheClip) {
  const art::Picture picture = Paint(
      "canvas 40 20\n"
      "save\n"
      "  rect 0 0 20 20\n"
      "  clip\n"
      "  layer blur=6\n"
      "    color #ffffff\n"
      "    paint\n"
      "  end\n"
      "  noise grain color=#ff0000\n"
      "restore\n"
      "color #0000ff\n"
      "rect 30 0 2 2\n"
      "fill\n");
  EXPECT_GT(Alpha(picture.Pixel(10, 10)), 0u);
  EXPECT_EQ(picture.Pixel(25, 10), 0u);
  EXPECT_EQ(picture.Pixel(30, 0), 0xFF0000FFu);  // the clip ended with restore
}

TEST(ArtPaint, SaveAndRestoreBringBackTheSourceAndTheAlpha) {
  const art::Picture picture = Paint(
      "canvas 30 10\n"
      "color #ff0000\n"
      "save\n"
      "  alpha 0.2\n"
      "  color #00ff00\n"
      "  translate 10 0\n"
      "restore\n"
      "rect 0 0 10 10\n"
      "fill keep\n"
      "translate 20 0\n"
      "stroke 1\n");
  EXPECT_EQ(picture.Pixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(picture.Pixel(15, 5), 0u);
  // `fill keep` left the path for the stroke, which drew where it was made.
  EXPECT_EQ(Red(picture.Pixel(0, 5)), 255u);
  EXPECT_EQ(picture.Pixel(25, 5), 0u);
}

TEST(ArtPaint, WorkLimitsStopRunawayRecipesQuickly) {
  art::PaintSetup setup;
  setup.max_pixel_work = 2'000'000;
  const art::Recipe blurs = art::ParseRecipe(
      "canvas 512 512\nrepeat i 1000\n  layer blur=40\n    paint\n  end\nend\n");
  try {
    art::PaintRecipe(blurs, setup);
    ADD_FAILURE() << "painted without reaching the limit";
  } catch (const art::RecipeError& error) {
    EXPECT_NE(std::string(error.what()).find("pixel limit"), std::string::npos) << error.what();
  }
  // A shared file that includes itself stops at the nesting limit.
  const std::map<std::string, std::string> loop = {{"lib/loop.arti", "include lib/loop.arti\n"}};
  const auto [line, message] = Fault("canvas 2 2\ninclude lib/loop.arti\n", nullptr, loop);
  EXPECT_EQ(line, 2);
  EXPECT_NE(message.find("too deeply"), std::string::npos) << message;
}

// --- Pictures painted from the sprite and item lists ---------------------------------

namespace {

// Paints a written recipe with the shipped shared pieces.
art::Picture PaintWritten(const std::string& recipe, art::FontShelf& fonts) {
  art::PaintSetup setup;
  setup.fonts = &fonts;
  setup.load_include = [](const std::string& path) -> std::optional<std::string> {
    std::ifstream in(kArtFolder / path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  };
  return art::PaintRecipe(art::ParseRecipe(recipe), setup);
}

// Paints the recipe written for a list line.
art::Picture PaintSprite(const art::SpriteLine& line, art::Walk walk, art::FontShelf& fonts) {
  return PaintWritten(art::SpriteRecipe(line, walk), fonts);
}

art::SpriteLine Line(const std::string& folder, const std::string& name, int w, int h, const std::string& kind) {
  return art::SpriteLine{1, folder, name, w, h, kind, "a test picture"};
}

}  // namespace

TEST(ArtSprites, ReadsTheListAndNamesEveryFaultyLine) {
  std::vector<art::ListFault> faults;
  const std::vector<art::SpriteLine> lines = art::ReadSpriteList(
      "# comment\r\n"
      "levels/hotel q_lamp 120 100 zoomin \"gas lamp, \\\"old\\\"\"\r\n"
      "\n"
      "levels/hotel/ho h_key 64 64 ho_item \"a key\"\n"
      "levels/hotel q_case 0 100 puzzle \"suitcase\"\n"
      "levels/hotel q_case 90 90 puzzle suitcase\n"
      "common q_x 10 10 static \"wrong folder\"\n"
      "levels/hotel q-bad 10 10 static \"dash\"\n"
      "levels/hotel q_lamp 10 10 static \"again\"\n"
      "levels/hotel q_ok 10 10 Static \"capital kind\"\n",
      faults);
  // The quotes inside line 2's description make it faulty, so line 9 is no
  // repeat and stands.
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].line, 9);
  EXPECT_EQ(lines[0].folder, "levels/hotel/ho");
  EXPECT_EQ(lines[0].width, 64);
  EXPECT_EQ(lines[0].kind, "ho_item");
  EXPECT_EQ(lines[0].description, "a key");
  std::vector<int> faulty;
  for (const art::ListFault& fault : faults) faulty.push_back(fault.line);
  EXPECT_EQ(faulty, (std::vector<int>{2, 5, 6, 7, 8, 10}));
  EXPECT_NE(faults[1].message.find("0 x 100"), std::string::npos) << faults[1].message;
  EXPECT_NE(faults[3].message.find("levels/LEVEL"), std::string::npos) << faults[3].message;

  faults.clear();
  art::ReadSpriteList("levels/a q_x 1 1 item \"\"\nlevels/a q_x 2 2 item \"\"\nlevels/a/ho q_x 2 2 item \"\"\n", faults);
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].line, 2);
  EXPECT_NE(faults[0].message.find("first on line 1"), std::string::npos) << faults[0].message;

  faults.clear();
  const std::vector<art::SpriteLine> items = art::ReadItemList("# items\naxe\n\nblood_vial\nBad Name\naxe\n", faults);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].folder, "items");
  EXPECT_EQ(items[1].width, 64);
  EXPECT_EQ(faults.size(), 2u);
}

TEST(ArtSprites, ExitsLeadTheWayTheirCursorShows) {
  EXPECT_EQ(art::WalkOf("q_alley", 110, 330), art::Walk::kLeft);
  EXPECT_EQ(art::WalkOf("q_hall", 914, 330), art::Walk::kRight);
  EXPECT_EQ(art::WalkOf("q_crypt", 512, 110), art::Walk::kForward);
  EXPECT_EQ(art::WalkOf("q_bridge", 512, 555), art::Walk::kBack);
  EXPECT_EQ(art::WalkOf("q_hroom", 512, 110), art::Walk::kBack);
  EXPECT_EQ(art::WalkOf("q_low", 512, 700), art::Walk::kUnknown);
  // Centres come from a level's object list; the first block of a name wins.
  const auto centres = art::ReadObjectCentres("3\r\nq_a\r\n10.5\r\n20\r\narea\r\nq_b\r\n1\r\n2\r\nitem\r\nq_a\r\n7\r\n8\r\narea\r\n");
  ASSERT_EQ(centres.size(), 2u);
  EXPECT_EQ(centres.at("q_a"), std::make_pair(10.5, 20.0));
  EXPECT_TRUE(art::ReadObjectCentres("2\nq_cut\n5\n").empty());
}

TEST(ArtSprites, ExitMasksAreArchesWithClearCornersAndASolidMiddle) {
  art::FontShelf fonts;
  for (const auto& [w, h] : {std::pair{160, 160}, std::pair{300, 90}, std::pair{40, 220}}) {
    for (art::Walk walk : {art::Walk::kUnknown, art::Walk::kLeft, art::Walk::kBack}) {
      const art::Picture picture = PaintSprite(Line("levels/hotel", "q_alley", w, h, "area"), walk, fonts);
      ASSERT_EQ(picture.width(), w);
      ASSERT_EQ(picture.height(), h);
      for (const auto& [x, y] : {std::pair{1, 1}, std::pair{w - 2, 1}, std::pair{1, h - 2}, std::pair{w - 2, h - 2}}) {
        EXPECT_EQ(Alpha(picture.Pixel(x, y)), 0u) << w << "x" << h << " corner " << x << "," << y;
      }
      EXPECT_GT(Alpha(picture.Pixel(w / 2, h / 2)), 128u) << w << "x" << h;
      EXPECT_GT(Alpha(picture.Pixel(w / 2, h / 4)), 128u) << w << "x" << h;
    }
  }
}

TEST(ArtSprites, TheSameLineGivesTheSameBytesAndNamesTheirOwnLook) {
  art::FontShelf fonts;
  const art::SpriteLine token = Line("levels/hotel", "q_axe", 64, 64, "item");
  EXPECT_EQ(PaintSprite(token, art::Walk::kUnknown, fonts).EncodePng(),
            PaintSprite(token, art::Walk::kUnknown, fonts).EncodePng());
  // The colour comes from the name alone, so an item looks alike in its
  // level and in the inventory; the kind picks the shape.
  const std::string axe = art::SpriteRecipe(Line("items", "axe", 64, 64, "inventory"));
  EXPECT_NE(axe, art::SpriteRecipe(Line("items", "coal", 64, 64, "inventory")));
  EXPECT_NE(axe.find("sprite_inventory"), std::string::npos);
  EXPECT_NE(axe.find("\"Ax\""), std::string::npos) << axe;
  EXPECT_NE(art::SpriteRecipe(Line("items", "blood_vial", 64, 64, "inventory")).find("\"BV\""), std::string::npos);
  EXPECT_NE(art::SpriteRecipe(Line("levels/hotel/ho", "h_key", 64, 64, "ho_key")).find("sprite_thing"),
            std::string::npos);
  EXPECT_EQ(art::SpriteLabel("h_scarecrow_head"), "scarecrow head");
  EXPECT_EQ(art::SpriteLabel("lev_pot"), "lev pot");
  // A description cannot break out of its quotes or call on a variable.
  art::SpriteLine odd = token;
  odd.description = "a \"quoted\" $price";
  EXPECT_NO_THROW(PaintSprite(odd, art::Walk::kUnknown, fonts));
  // Every kind the lists use paints at its size with something in the middle.
  for (const std::string kind : {"item", "static", "cstatic", "puzzle", "zoomin", "ghost", "inactive", "background",
                                 "inventory"}) {
    const art::Picture picture = PaintSprite(Line("levels/hotel", "q_thing", 90, 70, kind), art::Walk::kUnknown, fonts);
    EXPECT_EQ(picture.width(), 90) << kind;
    EXPECT_GT(Alpha(picture.Pixel(45, 35)), 0u) << kind;
  }
}

// --- The shipped recipes --------------------------------------------------------------

namespace {

struct ShippedRecipe {
  std::string folder;
  std::string name;
  fs::path path;
};

std::vector<ShippedRecipe> ShippedRecipes() {
  std::vector<ShippedRecipe> recipes;
  for (const auto& entry : fs::recursive_directory_iterator(kArtFolder)) {
    if (entry.path().extension() != ".art") continue;
    const fs::path relative = fs::relative(entry.path(), kArtFolder);
    recipes.push_back({relative.parent_path().generic_string(), relative.stem().string(), entry.path()});
  }
  return recipes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The canvas a recipe asks for, read without painting it.
std::pair<int, int> CanvasOf(const fs::path& path) {
  const art::Recipe recipe = art::ParseRecipe(ReadFile(path));
  for (const art::Statement& s : recipe.statements) {
    if (s.command == "canvas" && s.args.size() == 2) {
      art::Random random;
      return {static_cast<int>(art::Evaluate(s.args[0].text, nullptr, random)),
              static_cast<int>(art::Evaluate(s.args[1].text, nullptr, random))};
    }
  }
  return {0, 0};
}

}  // namespace

TEST(ArtContent, EveryRecipeLivesInAFolderTheGameLoadsAndNamesOneImage) {
  const std::set<std::string> folders = {"splash", "common", "particles", "items", "diary", "hint"};
  std::map<std::string, std::string> seen;
  const std::vector<ShippedRecipe> recipes = ShippedRecipes();
  ASSERT_FALSE(recipes.empty());
  for (const ShippedRecipe& recipe : recipes) {
    const bool level = recipe.folder.rfind("levels/", 0) == 0;
    EXPECT_TRUE(level || folders.count(recipe.folder)) << recipe.path;
    // The registry finds the first image of a name, so a second one anywhere
    // in the permanent folders would never be seen.
    if (!level) {
      const auto [it, fresh] = seen.emplace(recipe.name, recipe.folder);
      EXPECT_TRUE(fresh) << recipe.name << " is in " << it->second << " and " << recipe.folder;
    }
    EXPECT_NO_THROW(art::ParseRecipe(ReadFile(recipe.path))) << recipe.path;
  }
}

TEST(ArtContent, ImagesAreSizedAsTheGameDrawsThem) {
  // Sizes the game's drawing code depends on: buttons are drawn at their own
  // size centred on their rectangle, the leaf is cut into 128 x 128 cells,
  // the panel's rows and the screens are fixed.
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"splash/pub", {1024, 768}},        {"splash/dev", {1024, 768}},
      {"common/menu_bg", {1024, 768}},    {"common/title", {600, 160}},
      {"common/titlea", {600, 160}},      {"common/leaf1", {768, 640}},
      {"common/menu_cas", {340, 340}},    {"common/gwnd_conf", {460, 320}},
      {"common/gwnd_prof", {512, 512}},   {"common/gwnd_opt", {512, 512}},
      {"common/gbutton", {192, 48}},      {"common/gbutton_small", {120, 48}},
      {"common/gbutton_cir", {42, 42}},   {"common/gbutton_skip", {128, 32}},
      {"common/gbutton_help", {128, 32}}, {"common/gbutton_diary", {100, 72}},
      {"common/gbutton_hint", {114, 72}}, {"common/gbar", {256, 32}},
      {"common/gpanel", {1024, 128}},     {"common/garr", {46, 60}},
      {"common/ghint", {160, 80}},        {"common/g_bars", {1024, 768}},
      {"common/gfield", {256, 768}},      {"diary/gdiary", {1024, 768}},
      {"diary/diary_left", {46, 42}},     {"diary/diary_right", {46, 42}},
      {"diary/diary_cir", {42, 42}},      {"common/tutb", {272, 176}},
  };
  std::map<std::string, std::pair<int, int>> found;
  for (const ShippedRecipe& recipe : ShippedRecipes()) {
    found[recipe.folder + "/" + recipe.name] = CanvasOf(recipe.path);
  }
  for (const auto& [name, size] : sizes) {
    auto it = found.find(name);
    ASSERT_NE(it, found.end()) << name << " has no recipe";
    EXPECT_EQ(it->second, size) << name;
  }
  for (int page = 1; page <= 5; ++page) {
    EXPECT_EQ(found["common/tut" + std::to_string(page)], found["common/tutb"]) << page;
  }
  // The lightning overlay of the house must match the house it lights.
  EXPECT_EQ(found.count("common/menu_cas"), 1u);
}

TEST(ArtContent, EveryListedPictureCanBePaintedAndEveryLevelHasItsBackground) {
  std::vector<art::ListFault> faults;
  const fs::path content = kArtFolder / "..";
  const std::vector<art::SpriteLine> sprites = art::ReadSpriteList(ReadFile(content / "sprites.txt"), faults);
  const std::vector<art::SpriteLine> items = art::ReadItemList(ReadFile(content / "items.txt"), faults);
  for (const art::ListFault& fault : faults) ADD_FAILURE() << "line " << fault.line << ": " << fault.message;
  EXPECT_FALSE(sprites.empty());
  EXPECT_FALSE(items.empty());
  // A recipe of the same name wins; it must then be painted at the listed size.
  std::map<std::string, std::pair<int, int>> recipes;
  for (const ShippedRecipe& recipe : ShippedRecipes()) {
    recipes[recipe.folder + "/" + recipe.name] = CanvasOf(recipe.path);
  }
  for (const art::SpriteLine& line : sprites) {
    auto found = recipes.find(line.folder + "/" + line.name);
    if (found != recipes.end()) {
      EXPECT_EQ(found->second, std::make_pair(line.width, line.height)) << line.folder << "/" << line.name;
    }
  }
  const std::vector<std::string> scenes = {"hotel", "crossroad", "crypt", "library",
                                           "kitchen", "cabinet", "attic", "stonehenge"};
  for (const std::string& scene : scenes) {
    EXPECT_EQ(recipes["levels/" + scene + "/ho/h_bg"], std::make_pair(1024, 768)) << scene;
    EXPECT_EQ(recipes["levels/" + scene + "/ho/h_front"], std::make_pair(1024, 768)) << scene;
  }
  // Level layers cover the screen; the intro's book has smaller pieces
  // (the castle, the eyes, the spheres) laid over its page pictures.
  const std::set<std::string> intro_pages = {"levels/intro/lev_bg", "levels/intro/lev_bg1",
                                             "levels/intro/lev_bg2", "levels/intro/lev_page3"};
  for (const auto& [name, size] : recipes) {
    const bool intro_piece = name.rfind("levels/intro/", 0) == 0 && !intro_pages.contains(name);
    if (name.rfind("levels/", 0) == 0 && name.find("/lev_") != std::string::npos && !intro_piece) {
      EXPECT_EQ(size, std::make_pair(1024, 768)) << name;
    }
  }
}

// --- Pictures of things -------------------------------------------------------------


TEST(ArtPictures, ColourGlyphsKeepTheirColoursAndTheGradePullsThemTowardsTheLight) {
  art::FontShelf fonts;
  // The red apple, drawn at 60 pixels in the middle of a clear canvas.
  const art::Picture apple = Paint("canvas 64 64\nglyph 1F34E 32 34 60\n", &fonts);
  const uint32_t middle = apple.Pixel(32, 38);
  EXPECT_EQ(Alpha(middle), 255u);
  EXPECT_GT(Red(middle), 2 * Green(middle)) << std::hex << middle;
  EXPECT_EQ(Alpha(apple.Pixel(0, 63)), 0u);
  // Fully desaturated it turns grey; graded towards blue the red falls.
  const art::Picture grey = Paint("canvas 64 64\nlayer desat=1\n  glyph U+1F34E 32 34 60\nend\n", &fonts);
  const uint32_t g = grey.Pixel(32, 38);
  EXPECT_NEAR(static_cast<int>(Red(g)), static_cast<int>(Green(g)), 2) << std::hex << g;
  const art::Picture blue = Paint("canvas 64 64\nlayer grade=#4060ffff\n  glyph 1f34e 32 34 60\nend\n", &fonts);
  EXPECT_LT(Red(blue.Pixel(32, 38)), Red(middle) / 2);
  EXPECT_EQ(Alpha(blue.Pixel(32, 38)), 255u);
  // A code point the font lacks, or no code point at all, is a fault of its line.
  EXPECT_NE(Fault("canvas 8 8\nglyph 41 4 4 8\n", &fonts).second.find("no glyph for U+0041"), std::string::npos);
  EXPECT_EQ(Fault("canvas 8 8\n\nglyph apple 4 4 8\n", &fonts).first, 3);
}

TEST(ArtPictures, TheTableReadsPartsAndOptionsAndNamesEveryFaultyLine) {
  std::vector<art::ListFault> faults;
  const art::PictureTable table = art::ReadPictureTable(
      "# remark\r\n"
      "palette hotel #ffd8a0 0.15\r\n"
      "levels/hotel/q_lamp 1FA94+recipe:gap@0.18,-0.1,0.35,20,m rot=-10 grade=#808080\r\n"
      "levels/hotel/q_alley exit:door\r\n"
      "levels/hotel/q_lamp 1F56F\r\n"
      "items/axe 1FA93 spin=3\r\n"
      "items/key 1F511@2,0\r\n"
      "items/coin coin\r\n"
      "palette hotel red 0.1\r\n"
      "levels/hotel/q_x exit:window\r\n",
      faults);
  ASSERT_EQ(table.entries.size(), 2u);
  const art::PictureEntry& lamp = table.entries.at("levels/hotel/q_lamp");
  ASSERT_EQ(lamp.parts.size(), 2u);
  EXPECT_EQ(lamp.parts[0].what, "1FA94");
  EXPECT_TRUE(lamp.parts[1].recipe);
  EXPECT_EQ(lamp.parts[1].what, "gap");
  EXPECT_DOUBLE_EQ(lamp.parts[1].dy, -0.1);
  EXPECT_DOUBLE_EQ(lamp.parts[1].rotate, 20);
  EXPECT_TRUE(lamp.parts[1].mirror);
  EXPECT_EQ(lamp.grade, "#808080ff");
  EXPECT_EQ(table.entries.at("levels/hotel/q_alley").exit_shape, "door");
  EXPECT_EQ(table.palettes.at("hotel").light, "#ffd8a0");
  std::vector<int> lines;
  for (const art::ListFault& fault : faults) lines.push_back(fault.line);
  EXPECT_EQ(lines, (std::vector<int>{5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(art::PaletteKey("levels/hotel/ho"), "hotel");
  EXPECT_EQ(art::PaletteKey("items"), "items");
}

// Nothing the content names may be a tile with its name on it: every picture
// of the sprite and item lists is a recipe of its own or a thing of the
// table, whose glyphs the font has and whose recipe pieces exist; a close-up
// is as big as its frame and a level's thing is the same picture in every kind.
TEST(ArtContent, EveryPictureTheContentNamesIsAThingNotALabelledTile) {
  std::vector<art::ListFault> faults;
  const fs::path content = kArtFolder / "..";
  std::vector<art::SpriteLine> lines = art::ReadSpriteList(ReadFile(content / "sprites.txt"), faults);
  for (art::SpriteLine& item : art::ReadItemList(ReadFile(content / "items.txt"), faults)) lines.push_back(item);
  const art::PictureTable table = art::ReadPictureTable(ReadFile(content / "pictures.txt"), faults);
  for (const art::ListFault& fault : faults) ADD_FAILURE() << "line " << fault.line << ": " << fault.message;
  std::set<std::string> recipes, used;
  for (const ShippedRecipe& recipe : ShippedRecipes()) recipes.insert(recipe.folder + "/" + recipe.name);
  for (const art::SpriteLine& line : lines) {
    const std::string path = line.folder + "/" + line.name;
    if (recipes.count(path)) continue;
    used.insert(path);
    auto entry = table.entries.find(path);
    if (entry == table.entries.end()) {
      ADD_FAILURE() << path << " would be a labelled placeholder: give it a line in content/pictures.txt";
      continue;
    }
    EXPECT_EQ(line.kind == "area", !entry->second.exit_shape.empty()) << path << ": exits, and only exits, are masks";
    if (line.folder.rfind("levels/", 0) == 0 && line.kind != "area") {
      EXPECT_TRUE(table.palettes.count(art::PaletteKey(line.folder))) << path << ": its level has no palette";
    }
  }
  for (const auto& [path, entry] : table.entries) {
    EXPECT_TRUE(used.count(path)) << "content/pictures.txt:" << entry.line << ": " << path << " is named by no list";
  }
  const std::string pieces = ReadFile(kArtFolder / "lib" / "objects.arti");
  art::FontShelf fonts;
  for (const auto& [path, entry] : table.entries) {
    for (const art::PicturePart& part : entry.parts) {
      if (part.recipe) {
        EXPECT_NE(pieces.find("macro pic_" + part.what + " "), std::string::npos) << path << ": no pic_" << part.what;
        continue;
      }
      std::string problem;
      EXPECT_NE(fonts.ColourGlyph("emoji", static_cast<uint32_t>(std::stoul(part.what, nullptr, 16)), problem),
                nullptr)
          << "content/pictures.txt:" << entry.line << ": " << problem;
    }
    if (!entry.backdrop.empty()) {
      EXPECT_NE(pieces.find("macro closeup_" + entry.backdrop + " "), std::string::npos) << path;
    }
  }
  // One close-up and one thing of a scene, painted: the close-up fills its
  // frame edge to edge, the thing stands alone on transparency.
  const art::SpriteLine close_up{1, "levels/hotel", "z_q_lamp", 512, 384, "background", "close-up"};
  const art::Picture lamp = PaintWritten(
      art::PictureRecipe(close_up, table.entries.at("levels/hotel/z_q_lamp"), table.palettes.at("hotel")), fonts);
  EXPECT_EQ(Alpha(lamp.Pixel(2, 2)), 255u);
  EXPECT_EQ(Alpha(lamp.Pixel(256, 200)), 255u);
  const art::SpriteLine candle{1, "levels/hotel/ho", "h_candle", 56, 56, "ho_item", "candle"};
  const art::Picture thing = PaintWritten(
      art::PictureRecipe(candle, table.entries.at("levels/hotel/ho/h_candle"), table.palettes.at("hotel")), fonts);
  EXPECT_EQ(Alpha(thing.Pixel(0, 0)), 0u);
  EXPECT_GT(Alpha(thing.Pixel(28, 28)), 128u);
}
