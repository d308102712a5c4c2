// The string table and its file: a stream of entries, each a key, a value in
// double quotes and a remark up to the end of the line.
#include "res/strings.h"

#include "engine/log.h"
#include "engine/save_file.h"

tlocfile game_strings;

namespace {

constexpr char kQuote = '"';
const tloc kNoEntry;

// Keys are written with blanks and line breaks around them; none of those
// bytes is ever part of a key, wherever it stands.
std::string CleanKey(std::string_view raw) {
  std::string key;
  key.reserve(raw.size());
  for (const char c : raw) {
    if (c != ' ' && c != '\r' && c != '\n' && c != '\0') key.push_back(c);
  }
  return key;
}

// Everything from pos up to the next quote (or the end), and the position
// after that quote (or the end).
std::string_view TakeUpToQuote(std::string_view bytes, std::size_t& pos) {
  const std::size_t quote = bytes.find(kQuote, pos);
  const std::size_t end = quote == std::string_view::npos ? bytes.size() : quote;
  const std::string_view taken = bytes.substr(pos, end - pos);
  pos = quote == std::string_view::npos ? bytes.size() : quote + 1;
  return taken;
}

}  // namespace

bool tlocfile::load(const std::string& path) {
  clear();
  std::string bytes;
  if (!ReadWholeFile(path, &bytes, nullptr)) return false;
  parse(bytes);
  return true;
}

void tlocfile::parse(std::string_view bytes) {
  clear();
  std::size_t pos = 0;
  std::size_t left_out = 0;
  // An entry starts wherever the last one stopped, so text after the final
  // line end (even blank lines) makes one more entry.
  while (pos < bytes.size()) {
    std::string key = CleanKey(TakeUpToQuote(bytes, pos));
    std::string value(TakeUpToQuote(bytes, pos));
    // The remark after the closing quote runs to the end of the line. A value
    // that never closed has already taken the rest of the file.
    const std::size_t line_end = bytes.find('\n', pos);
    pos = line_end == std::string_view::npos ? bytes.size() : line_end + 1;
    if (!append(std::move(key), std::move(value))) ++left_out;
  }
  if (left_out > 0) {
    LogLine("Strings: " + std::to_string(left_out) + " entries past the " +
            std::to_string(LOC_CAPACITY) + " the table holds were left out");
  }
}

bool tlocfile::append(std::string key, std::string value) {
  return entries_.append(tloc{std::move(key), std::move(value)});
}

bool tlocfile::add_new(std::string key, std::string value) {
  if (contains(key)) return false;
  return append(std::move(key), std::move(value));
}

void tlocfile::set(std::string_view key, std::string value) {
  const int i = index_of(key);
  if (i >= 0) (*this)[i].value = std::move(value);
}

void tlocfile::clear() { entries_.clear(); }

std::string tlocfile::get(std::string_view key) const {
  const int i = index_of(key);
  return i >= 0 ? (*this)[i].value : std::string("NULL");
}

int tlocfile::index_of(std::string_view key) const {
  for (int i = count() - 1; i >= 0; --i) {
    if ((*this)[i].key == key) return i;
  }
  return -1;
}

bool tlocfile::contains(std::string_view key) const { return index_of(key) >= 0; }

const tloc& tlocfile::at(int i) const {
  if (i < 0 || i >= count()) return kNoEntry;
  return (*this)[i];
}
