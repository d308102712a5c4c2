// Command-line options of the game.
#include "app/cmdline.h"

#include <charconv>
#include <string_view>

namespace {

bool ParseSeed(std::string_view text, uint32_t* seed) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, *seed);
  return ec == std::errc{} && ptr == end && !text.empty();
}

bool ParseDesktop(std::string_view text, int* w, int* h) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  const std::string_view ws = text.substr(0, x);
  const std::string_view hs = text.substr(x + 1);
  auto [pw, ew] = std::from_chars(ws.data(), ws.data() + ws.size(), *w);
  auto [ph, eh] = std::from_chars(hs.data(), hs.data() + hs.size(), *h);
  return ew == std::errc{} && eh == std::errc{} && pw == ws.data() + ws.size() &&
         ph == hs.data() + hs.size() && *w >= 320 && *h >= 200 && *w <= 16384 && *h <= 16384;
}

// An argument as the one-line error shows it: control characters (a line
// break typed into a quoted argument, say) become '?'.
std::string Shown(std::string_view arg) {
  std::string shown(arg);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return shown;
}

}  // namespace

CommandLineResult ParseCommandLine(int argc, const char* const* argv) {
  CommandLineResult result;
  CommandLine& o = result.options;
  auto fail = [&result](std::string message) {
    result.ok = false;
    result.error = std::move(message);
    return result;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    auto value = [&]() { return std::string_view(argv[++i]); };
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--windowed") {
      o.windowed = true;
    } else if (arg == "--fullscreen") {
      o.fullscreen = true;
    } else if (arg == "--log") {
      o.log = true;
    } else if (arg == "--headless") {
      o.headless = true;
    } else if (arg == "--root" || arg == "--home" || arg == "--content" || arg == "--script" ||
               arg == "--seed" || arg == "--desktop") {
      if (!has_value) return fail("option " + std::string(arg) + " needs a value");
      const std::string_view v = value();
      if (arg == "--root") {
        o.root = v;
      } else if (arg == "--home") {
        o.home = v;
      } else if (arg == "--content") {
        o.content = v;
      } else if (arg == "--script") {
        o.script = v;
        o.headless = true;
      } else if (arg == "--seed") {
        uint32_t seed = 0;
        if (!ParseSeed(v, &seed)) return fail("--seed needs a number from 0 to 4294967295");
        o.seed = seed;
      } else if (!ParseDesktop(v, &o.desktop_width, &o.desktop_height)) {
        return fail("--desktop needs a size such as 1280x1024");
      }
    } else {
      return fail("unknown option " + Shown(arg) + " (see --help)");
    }
  }
  if (o.windowed && o.fullscreen) return fail("--windowed and --fullscreen exclude each other");
  if (o.desktop_width > 0 && !o.headless) return fail("--desktop is for headless runs only");
  return result;
}

std::string UsageText() {
  return "Usage: quillmoor [options]\n"
         "\n"
         "Options:\n"
         "  --root DIR      game folder holding data/ (default: beside the program,\n"
         "                  else ../share/quillmoor from the program's folder)\n"
         "  --home DIR      per-user folder for profiles (default: $XDG_DATA_HOME or\n"
         "                  ~/.local/share)\n"
         "  --content DIR   the content folder (holding levels/) the level editor saves\n"
         "                  into (default: the source tree the game was built from)\n"
         "  --windowed      play this run in a 1024 x 768 window\n"
         "  --fullscreen    play this run in full screen\n"
         "  --log           write the engine log log.txt into the profile folder\n"
         "  --seed N        fix the random numbers\n"
         "  --headless      run without a window, on a virtual clock\n"
         "  --script FILE   follow an automation script (implies --headless)\n"
         "  --desktop WxH   the desktop size a headless run pretends\n"
         "  --version       print the version\n"
         "  --help          print this help\n";
}
