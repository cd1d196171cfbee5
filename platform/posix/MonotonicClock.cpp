// The real clock: CLOCK_MONOTONIC in milliseconds and nanosleep.
#include "platform/posix/MonotonicClock.h"

#include <cerrno>
#include <ctime>

namespace platform {

uint32_t MonotonicClock::nowMs() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void MonotonicClock::sleepMs(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  // A signal (an interrupt asking to quit) cuts a sleep short; the rest is slept all the same.
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {}
}

}  // namespace platform
