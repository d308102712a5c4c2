// The small JSON value of the automation scripts: the runner builds the state
// dump as one, writes it to disk, and expect lines compare parts of it with
// values written in the script. Depends on the engine's UTF-8 helpers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class JsonValue {
 public:
  enum class Type { Null, Bool, Number, String, Array, Object };
  using Array = std::vector<JsonValue>;
  // Members in the order they were set; each key appears once.
  using Object = std::vector<std::pair<std::string, JsonValue>>;

  // --- Building ---------------------------------------------------------------

  JsonValue() = default;  // null
  JsonValue(std::nullptr_t) {}
  JsonValue(bool b) : type_(Type::Bool), bool_(b) {}
  // Every number is held as a double: integers beyond 2^53 lose precision.
  template <typename T>
    requires(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>)
  JsonValue(T n) : type_(Type::Number), number_(static_cast<double>(n)) {}
  JsonValue(const char* s) : JsonValue(std::string(s)) {}
  JsonValue(std::string_view s) : JsonValue(std::string(s)) {}
  JsonValue(std::string s) : type_(Type::String), string_(std::move(s)) {}

  static JsonValue MakeArray();
  static JsonValue MakeObject();

  // Adds an entry at the end of an array and returns it (the reference lasts
  // until the array grows again). A value that is not an array becomes an
  // empty one first.
  JsonValue& Append(JsonValue v);
  // Sets a member of an object and returns it: an existing key keeps its
  // place and gets the new value, a new key goes last. A value that is not an
  // object becomes an empty one first.
  JsonValue& Set(std::string_view key, JsonValue v);

  // --- Reading ----------------------------------------------------------------

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsBool() const { return type_ == Type::Bool; }
  bool IsNumber() const { return type_ == Type::Number; }
  bool IsString() const { return type_ == Type::String; }
  bool IsArray() const { return type_ == Type::Array; }
  bool IsObject() const { return type_ == Type::Object; }

  // Each gives the empty value of its type (false, 0, "", none) when the
  // value is of another type.
  bool AsBool() const { return bool_; }
  double AsNumber() const { return number_; }
  const std::string& AsString() const { return string_; }
  const Array& AsArray() const { return array_; }
  const Object& AsObject() const { return object_; }

  // The member of an object with this key; null pointer when there is none.
  const JsonValue* Get(std::string_view key) const;
  // Follows a dotted path such as "desktop.0" or "world.objects.3.name":
  // object members by key, array entries by decimal index. "" is the value
  // itself. Null pointer when a step leads nowhere.
  const JsonValue* Find(std::string_view dotted_path) const;

  // JSON text. indent > 0 puts each entry on its own line, indented by that
  // many blanks a level; indent <= 0 writes one compact line. Numbers that
  // are whole and below 2^53 print without a fraction, other finite numbers
  // in their shortest exact form, NaN and infinities as null. Bytes that are
  // not UTF-8 print as U+FFFD, so the text is always valid JSON.
  std::string Serialize(int indent = 2) const;

  // Deep equality; numbers compare as doubles, object members in any order.
  friend bool operator==(const JsonValue& a, const JsonValue& b);

 private:
  Type type_ = Type::Null;
  bool bool_ = false;
  double number_ = 0.0;
  std::string string_;
  Array array_;
  Object object_;
};

// Reads one JSON value (RFC 8259, nothing added) with optional white space
// around it. Nesting deeper than kJsonMaxDepth, numbers beyond the range of a
// double, lone surrogate escapes and bytes that are not UTF-8 are refused.
// nullopt when the text is not exactly one valid value.
inline constexpr int kJsonMaxDepth = 64;
std::optional<JsonValue> ParseJson(std::string_view text);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF): the text a JSON string may hold.
bool IsValidUtf8(std::string_view text);
