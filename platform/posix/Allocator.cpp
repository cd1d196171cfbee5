// The C library's allocator settings for a long-running game.
#include <malloc.h>

#include "platform/System.h"

namespace platform {

void keepLargeBlocksOutOfTheHeap() {
#ifdef __GLIBC__
  // Setting the threshold also turns off its automatic growth.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

}  // namespace platform
