// The world record and where it lives.
#include "world/world.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// The record holds 387 particle emitters of 4097 slots each. It is built in
// anonymous memory, whose pages the system hands out zero-filled only when
// first touched, so only the emitters that ever hold particles cost memory.
WorldState* CreateWorldRecord() {
  void* memory = ::mmap(nullptr, sizeof(WorldState), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) {
    // Without the record there is no game at all; this runs before main.
    std::fputs("Quillmoor: not enough memory for the world record\n", stderr);
    std::abort();
  }
  // Huge pages would make whole 2 MB runs of the record resident at the first
  // touch.
  ::madvise(memory, sizeof(WorldState), MADV_NOHUGEPAGE);
  return new (memory) WorldState();
}

}  // namespace

WorldState& world = *CreateWorldRecord();

void ResetWorld() {
  world.~WorldState();
  // Hands the touched pages back; they read as zeros again when next used.
  ::madvise(&world, sizeof(WorldState), MADV_DONTNEED);
  new (&world) WorldState();
}

bool IsCutsceneLevel(std::string_view level) {
  return level == "intro" || level == "flight" || level == "outro" || level == "credits";
}
