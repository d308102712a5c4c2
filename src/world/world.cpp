// The world record and where it lives.
#include "world/world.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

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
#if defined(__SANITIZE_ADDRESS__)
  // The leak checker looks for pointers only in memory it knows; the names
  // the record holds live on through it.
  __lsan_register_root_region(memory, sizeof(WorldState));
#endif
  return new (memory) WorldState();
}

}  // namespace

WorldState& world = *CreateWorldRecord();

int fade_level = 0;
bool tick_click = false;

void ResetWorld() {
  fade_level = 0;
  world.~WorldState();
  // Hands the touched pages back; they read as zeros again when next used.
  ::madvise(&world, sizeof(WorldState), MADV_DONTNEED);
  new (&world) WorldState();
}

SceneObject* AppendSceneObject(ObjectList& list, std::string_view name, std::string_view kind,
                               float x, float y) {
  SceneObject* o = list.reuse_next();
  if (o == nullptr) return nullptr;
  o->name.assign(name);
  o->kind.assign(kind);
  o->x = x;
  o->y = y;
  o->angle = 0.0f;
  o->aux = 0.0f;
  o->state = 0;
  o->particles.count = 0;
  o->mark = 0;
  o->timer = 0.0f;
  o->orbit = 0.0f;
  o->glint = false;
  o->flight_distance = 0.0f;
  o->label_x = 0.0f;
  o->label_y = 0.0f;
  return o;
}

bool IsStoryScreen(std::string_view level) {
  return level == "intro" || level == "flight" || level == "outro" || level == "credits";
}
