// Large blocks go back to the system when freed, even after a larger block was freed before
// (the C library would otherwise raise its threshold and keep later pictures in the heap).
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "platform/System.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnAllocator = true;
#else
constexpr bool kOwnAllocator = false;
#endif
#else
constexpr bool kOwnAllocator = false;
#endif

void* volatile g_sink;

TEST(LargeBlocks, StayOutOfTheHeapAfterALargerOneIsFreed) {
  if (kOwnAllocator) GTEST_SKIP() << "the sanitizer's allocator replaces the C library's";
#ifdef __GLIBC__
  platform::keepLargeBlocksOutOfTheHeap();
  for (size_t size : {size_t(200) << 10, size_t(1) << 20, size_t(3) << 20}) {
    // Freeing a 16 MiB block is what raises the library's own threshold.
    g_sink = std::malloc(size_t(16) << 20);
    std::memset(g_sink, 1, 4096);
    std::free(g_sink);
    const size_t before = mallinfo2().hblks;
    g_sink = std::malloc(size);
    std::memset(g_sink, 1, size);
    EXPECT_EQ(mallinfo2().hblks, before + 1) << size << " bytes came from the heap";
    std::free(g_sink);
    EXPECT_EQ(mallinfo2().hblks, before) << size << " bytes were not given back";
  }
#else
  GTEST_SKIP() << "only the GNU C library needs this";
#endif
}

}  // namespace
