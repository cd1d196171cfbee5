// A platform clock moved by hand: sleeping advances it at once, so paced threads never wait.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Platform.h"

namespace testsupport {

class ManualClock final : public platform::Clock {
 public:
  explicit ManualClock(uint32_t startMs = 1000) : now(startMs) {}
  uint32_t nowMs() override { return now.load(); }
  void sleepMs(uint32_t ms) override { now += ms; }
  std::atomic<uint32_t> now;
};

}  // namespace testsupport
