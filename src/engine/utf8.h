// UTF-8 as the game's texts use it: a lenient decoder that never reads past
// the end of a text, so any bytes can be measured, drawn and edited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct Utf8Step {
  uint32_t codepoint;
  std::size_t next;  // byte position after the code point
};

// The code point starting at byte pos. Lead bytes announce 2 to 6 bytes and
// continuation bytes are not checked; a stray byte (0x80-0xBF, 0xFE, 0xFF)
// gives 0 and advances by one, and so does a lead byte whose sequence is cut
// off by the end of the text.
Utf8Step Utf8Decode(std::string_view text, std::size_t pos);
// The number of code points found by stepping with Utf8Decode.
int Utf8Length(std::string_view text);
// Removes the last code point (as Utf8Decode steps); nothing on empty text.
void Utf8RemoveLast(std::string& text);
// Appends the UTF-8 form of a code point; invalid ones become U+FFFD.
void Utf8Append(std::string& text, uint32_t codepoint);
