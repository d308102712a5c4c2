// quillmoor: the program.
#include "app/program.h"

#if __has_include(<malloc.h>)
#include <malloc.h>  // mallopt: where freed pictures go
#endif

int main(int argc, char** argv) {
#if defined(M_MMAP_THRESHOLD)
  // Pictures come and go level by level in blocks of a megabyte and more.
  // Left to itself the allocator raises its threshold for mapping blocks
  // apart after the first such block is freed, and from then on keeps freed
  // pictures in its heap; a fixed threshold gives every picture its own
  // mapping, handed back to the system as soon as the picture is freed.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
  return RunProgram(argc, argv);
}
