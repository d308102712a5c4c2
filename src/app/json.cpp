// JSON values for the state dump and the expect lines of automation scripts.
#include "app/json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "engine/utf8.h"

namespace {

// Length of the well-formed UTF-8 sequence that starts at s[i], or 0.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) return 1;
  std::size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;  // overlong
    if (b0 == 0xED) hi = 0x9F;  // surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;  // overlong
    if (b0 == 0xF4) hi = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  if (byte(i + 1) < lo || byte(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return len;
}

// --- Writing -----------------------------------------------------------------

void WriteNumber(std::string& out, double x) {
  if (!std::isfinite(x)) {
    out += "null";
    return;
  }
  char buf[32];
  std::to_chars_result r;
  constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
  if (x == std::trunc(x) && std::fabs(x) < kExactIntegers)
    r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(x));
  else
    r = std::to_chars(buf, buf + sizeof buf, x);  // shortest form that reads back exactly
  out.append(buf, r.ptr);
}

void WriteString(std::string& out, std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      const std::size_t len = Utf8SequenceLength(s, i);
      if (len == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
        ++i;
      } else {
        out.append(s.substr(i, len));
        i += len;
      }
      continue;
    }
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
}

void NewLine(std::string& out, int indent, int level) {
  if (indent <= 0) return;
  out += '\n';
  out.append(static_cast<std::size_t>(indent) * static_cast<std::size_t>(level), ' ');
}

void WriteValue(std::string& out, const JsonValue& v, int indent, int level) {
  switch (v.type()) {
    case JsonValue::Type::Null: out += "null"; return;
    case JsonValue::Type::Bool: out += v.AsBool() ? "true" : "false"; return;
    case JsonValue::Type::Number: WriteNumber(out, v.AsNumber()); return;
    case JsonValue::Type::String: WriteString(out, v.AsString()); return;
    case JsonValue::Type::Array: {
      const JsonValue::Array& a = v.AsArray();
      out += '[';
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (i > 0) out += ',';
        NewLine(out, indent, level + 1);
        WriteValue(out, a[i], indent, level + 1);
      }
      if (!a.empty()) NewLine(out, indent, level);
      out += ']';
      return;
    }
    case JsonValue::Type::Object: {
      const JsonValue::Object& o = v.AsObject();
      out += '{';
      for (std::size_t i = 0; i < o.size(); ++i) {
        if (i > 0) out += ',';
        NewLine(out, indent, level + 1);
        WriteString(out, o[i].first);
        out += indent > 0 ? ": " : ":";
        WriteValue(out, o[i].second, indent, level + 1);
      }
      if (!o.empty()) NewLine(out, indent, level);
      out += '}';
      return;
    }
  }
}

// --- Reading -----------------------------------------------------------------

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  std::optional<JsonValue> ReadDocument() {
    JsonValue v;
    SkipSpace();
    if (!ReadValue(v, 0)) return std::nullopt;
    SkipSpace();
    if (pos_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  void SkipSpace() {
    while (!AtEnd() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
      ++pos_;
  }

  bool ReadWord(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  bool ReadValue(JsonValue& out, int depth) {
    switch (Peek()) {
      case 'n': out = JsonValue(); return ReadWord("null");
      case 't': out = JsonValue(true); return ReadWord("true");
      case 'f': out = JsonValue(false); return ReadWord("false");
      case '"': {
        std::string s;
        if (!ReadString(s)) return false;
        out = JsonValue(std::move(s));
        return true;
      }
      case '[': return ReadArray(out, depth + 1);
      case '{': return ReadObject(out, depth + 1);
      default: return ReadNumber(out);
    }
  }

  bool ReadArray(JsonValue& out, int depth) {
    if (depth > kJsonMaxDepth) return false;
    ++pos_;  // '['
    out = JsonValue::MakeArray();
    SkipSpace();
    if (Peek() == ']') {
      ++pos_;
      return true;
    }
    for (;;) {
      JsonValue item;
      SkipSpace();
      if (!ReadValue(item, depth)) return false;
      out.Append(std::move(item));
      SkipSpace();
      if (Peek() == ']') {
        ++pos_;
        return true;
      }
      if (Peek() != ',') return false;
      ++pos_;
    }
  }

  bool ReadObject(JsonValue& out, int depth) {
    if (depth > kJsonMaxDepth) return false;
    ++pos_;  // '{'
    out = JsonValue::MakeObject();
    SkipSpace();
    if (Peek() == '}') {
      ++pos_;
      return true;
    }
    for (;;) {
      std::string key;
      SkipSpace();
      if (Peek() != '"' || !ReadString(key)) return false;
      // A repeated key would make the value depend on which copy a reader keeps.
      if (out.Get(key)) return false;
      SkipSpace();
      if (Peek() != ':') return false;
      ++pos_;
      SkipSpace();
      JsonValue item;
      if (!ReadValue(item, depth)) return false;
      out.Set(key, std::move(item));
      SkipSpace();
      if (Peek() == '}') {
        ++pos_;
        return true;
      }
      if (Peek() != ',') return false;
      ++pos_;
    }
  }

  bool ReadHex4(uint32_t& cp) {
    if (s_.size() - pos_ < 4) return false;
    cp = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[pos_++];
      cp <<= 4;
      if (c >= '0' && c <= '9') cp |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') cp |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') cp |= static_cast<uint32_t>(c - 'A' + 10);
      else return false;
    }
    return true;
  }

  bool ReadEscape(std::string& out) {
    if (AtEnd()) return false;
    const char c = s_[pos_++];
    switch (c) {
      case '"': out += '"'; return true;
      case '\\': out += '\\'; return true;
      case '/': out += '/'; return true;
      case 'b': out += '\b'; return true;
      case 'f': out += '\f'; return true;
      case 'n': out += '\n'; return true;
      case 'r': out += '\r'; return true;
      case 't': out += '\t'; return true;
      case 'u': break;
      default: return false;
    }
    uint32_t cp = 0;
    if (!ReadHex4(cp)) return false;
    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;  // low half without a high half
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      uint32_t low = 0;
      if (!ReadWord("\\u") || !ReadHex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    Utf8Append(out, cp);
    return true;
  }

  bool ReadString(std::string& out) {
    ++pos_;  // opening quote
    while (!AtEnd()) {
      const unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        ++pos_;
        if (!ReadEscape(out)) return false;
        continue;
      }
      const std::size_t len = Utf8SequenceLength(s_, pos_);
      if (len == 0) return false;
      out.append(s_.substr(pos_, len));
      pos_ += len;
    }
    return false;
  }

  bool ReadDigits() {
    const std::size_t start = pos_;
    while (!AtEnd() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }

  bool ReadNumber(JsonValue& out) {
    const std::size_t start = pos_;
    if (Peek() == '-') ++pos_;
    if (Peek() == '0') {
      ++pos_;
    } else if (!ReadDigits()) {
      return false;
    }
    if (Peek() == '.') {
      ++pos_;
      if (!ReadDigits()) return false;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!ReadDigits()) return false;
    }
    double x = 0.0;
    const char* first = s_.data() + start;
    const char* last = s_.data() + pos_;
    const std::from_chars_result r = std::from_chars(first, last, x);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(x)) return false;
    out = JsonValue(x);
    return true;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

bool ParseIndex(std::string_view step, std::size_t* index) {
  if (step.empty() || step.size() > 9) return false;
  std::size_t n = 0;
  for (const char c : step) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  *index = n;
  return true;
}

}  // namespace

JsonValue JsonValue::MakeArray() {
  JsonValue v;
  v.type_ = Type::Array;
  return v;
}

JsonValue JsonValue::MakeObject() {
  JsonValue v;
  v.type_ = Type::Object;
  return v;
}

JsonValue& JsonValue::Append(JsonValue v) {
  if (type_ != Type::Array) *this = MakeArray();
  array_.push_back(std::move(v));
  return array_.back();
}

JsonValue& JsonValue::Set(std::string_view key, JsonValue v) {
  if (type_ != Type::Object) *this = MakeObject();
  for (auto& member : object_) {
    if (member.first == key) {
      member.second = std::move(v);
      return member.second;
    }
  }
  object_.emplace_back(std::string(key), std::move(v));
  return object_.back().second;
}

const JsonValue* JsonValue::Get(std::string_view key) const {
  for (const auto& member : object_)
    if (member.first == key) return &member.second;
  return nullptr;
}

const JsonValue* JsonValue::Find(std::string_view dotted_path) const {
  const JsonValue* v = this;
  if (dotted_path.empty()) return v;
  for (;;) {
    const std::size_t dot = dotted_path.find('.');
    const std::string_view step = dotted_path.substr(0, dot);
    if (v->IsObject()) {
      v = v->Get(step);
    } else if (v->IsArray()) {
      std::size_t index = 0;
      v = ParseIndex(step, &index) && index < v->array_.size() ? &v->array_[index] : nullptr;
    } else {
      v = nullptr;
    }
    if (!v || dot == std::string_view::npos) return v;
    dotted_path.remove_prefix(dot + 1);
  }
}

std::string JsonValue::Serialize(int indent) const {
  std::string out;
  WriteValue(out, *this, indent, 0);
  return out;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
  if (a.type_ != b.type_) return false;
  switch (a.type_) {
    case JsonValue::Type::Null: return true;
    case JsonValue::Type::Bool: return a.bool_ == b.bool_;
    case JsonValue::Type::Number: return a.number_ == b.number_;
    case JsonValue::Type::String: return a.string_ == b.string_;
    case JsonValue::Type::Array: return a.array_ == b.array_;
    case JsonValue::Type::Object:
      if (a.object_.size() != b.object_.size()) return false;
      for (const auto& member : a.object_) {
        const JsonValue* other = b.Get(member.first);
        if (!other || !(*other == member.second)) return false;
      }
      return true;
  }
  return false;
}

std::optional<JsonValue> ParseJson(std::string_view text) { return Reader(text).ReadDocument(); }

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = Utf8SequenceLength(text, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}
