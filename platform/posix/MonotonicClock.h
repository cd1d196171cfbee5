// The real clock: monotonic milliseconds (wrapping like timeGetTime) and real sleeps.
#pragma once

#include "platform/Platform.h"

namespace platform {

class MonotonicClock final : public Clock {
 public:
  uint32_t nowMs() override;
  void sleepMs(uint32_t ms) override;
};

}  // namespace platform
