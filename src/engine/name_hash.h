// The 32-bit hash that names are found by: images and fonts in their
// registries, sections and keys in the INI document. Lookups compare these
// hashes first, so every part of the game must hash a name the same way.
#pragma once

#include <cstdint>
#include <string_view>

// SuperFastHash of the name's bytes, seeded with the length; 0 for "".
// Safe on any bytes, whatever their alignment.
uint32_t name_hash(std::string_view name);
