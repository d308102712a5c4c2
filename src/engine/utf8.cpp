// Lenient UTF-8 stepping shared by text input, measuring and drawing.
#include "engine/utf8.h"

Utf8Step Utf8Decode(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return {lead, pos + 1};
  std::size_t length = 0;
  uint32_t cp = 0;
  if (lead >= 0xC0 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    length = 4;
    cp = lead & 0x07u;
  } else if (lead >= 0xF8 && lead <= 0xFB) {
    length = 5;
    cp = lead & 0x03u;
  } else if (lead >= 0xFC && lead <= 0xFD) {
    length = 6;
    cp = lead & 0x01u;
  } else {
    return {0, pos + 1};  // a stray byte
  }
  // A sequence cut off by the end of the text counts as a stray lead byte.
  if (text.size() - pos < length) return {0, pos + 1};
  for (std::size_t k = 1; k < length; ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(text[pos + k]) & 0x3Fu);
  return {cp, pos + length};
}

int Utf8Length(std::string_view text) {
  int count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = Utf8Decode(text, pos).next) ++count;
  return count;
}

void Utf8RemoveLast(std::string& text) {
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = Utf8Decode(text, pos).next) last = pos;
  text.erase(last);
}

void Utf8Append(std::string& text, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    text += static_cast<char>(cp);
  } else if (cp < 0x800) {
    text += static_cast<char>(0xC0 | (cp >> 6));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    text += static_cast<char>(0xE0 | (cp >> 12));
    text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (cp >> 18));
    text += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
