// The particle engine.
#include "fx/particles.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& InternedNames() {
  static std::vector<std::string> names{""};
  return names;
}

}  // namespace

ParticleImage InternParticleImage(std::string_view name) {
  std::vector<std::string>& names = InternedNames();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it != names.end()) return static_cast<ParticleImage>(it - names.begin());
  names.emplace_back(name);
  return static_cast<ParticleImage>(names.size() - 1);
}

std::string_view ParticleImageName(ParticleImage id) {
  const std::vector<std::string>& names = InternedNames();
  return id < names.size() ? std::string_view(names[id]) : std::string_view();
}

TParticleSystem::TParticleSystem(const TParticleSystem& other) noexcept : count(other.count) {
  std::memcpy(p.data(), other.p.data(), sizeof(TParticleD) * static_cast<std::size_t>(count));
}

TParticleSystem& TParticleSystem::operator=(const TParticleSystem& other) noexcept {
  if (this != &other) {
    count = other.count;
    std::memcpy(p.data(), other.p.data(), sizeof(TParticleD) * static_cast<std::size_t>(count));
  }
  return *this;
}
