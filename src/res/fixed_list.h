// The fixed-capacity list every registry and record of the game is built on:
// entries in order, append refuses when full, remove-at moves the later
// entries up. Nothing ever grows past its capacity.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

template <typename T, std::size_t Capacity>
class FixedList {
 public:
  static constexpr std::size_t capacity = Capacity;

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  bool full() const { return count_ == Capacity; }

  T& operator[](std::size_t i) { return items_[i]; }
  const T& operator[](std::size_t i) const { return items_[i]; }

  T* begin() { return items_.data(); }
  T* end() { return items_.data() + count_; }
  const T* begin() const { return items_.data(); }
  const T* end() const { return items_.data() + count_; }

  // Stores the entry after the last one; false, and nothing stored, when full.
  bool append(T item) {
    if (count_ == Capacity) return false;
    items_[count_++] = std::move(item);
    return true;
  }

  // Removes entry i; the later entries move up by one. Out of range: nothing.
  void remove_at(std::size_t i) {
    if (i >= count_) return;
    for (std::size_t k = i + 1; k < count_; ++k) items_[k - 1] = std::move(items_[k]);
    items_[--count_] = T{};
  }

  // Counts in the slot after the last entry as it was left, for lists that
  // refill the same records every frame; nullptr when full.
  T* reuse_next() {
    if (count_ == Capacity) return nullptr;
    return &items_[count_++];
  }
  // Sets the count to 0 and keeps the entries' storage for reuse_next.
  void reset_count() { count_ = 0; }

  // Releases every entry and sets the count to 0.
  void clear() {
    for (std::size_t k = 0; k < count_; ++k) items_[k] = T{};
    count_ = 0;
  }

 private:
  std::array<T, Capacity> items_{};
  std::size_t count_ = 0;
};

#include <string>

// A list of at most 1025 strings: file listings, list-box lines, the players.
using TF_list = FixedList<std::string, 1025>;
