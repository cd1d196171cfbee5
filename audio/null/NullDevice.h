// The null audio device: no sound card; the mix is rendered, and the play cursors advance, only
// when the clock has moved and the device is pumped. Optionally writes the mix to a WAV file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/Device.h"
#include "audio/Mixer.h"
#include "audio/WavWriter.h"

namespace platform {
class Clock;
}

namespace audio {

class NullDevice final : public Device {
 public:
  explicit NullDevice(platform::Clock& clock);
  ~NullDevice() override;

  std::unique_ptr<Buffer> createBuffer(const WaveFormat& format, uint32_t sizeBytes, std::string* whyNot) override;
  std::unique_ptr<Pacer> createPacer() override;
  // Renders the mix up to the clock's time, in steps that stop at every paced thread's wake
  // time; at each step the woken threads run until they sleep again before the mix goes on.
  void update() override;
  bool captureTo(const std::string& wavPath) override;

  // Output time rendered so far, in ms since the device was created.
  uint64_t renderedMs();

 private:
  friend class NullPacer;
  struct PacerSlot {
    bool sleeping = false;  // false: the thread runs between two sleeps
    uint64_t lastWakeMs = 0;
    uint64_t wakeMs = 0;
  };

  void renderFramesUntil(uint64_t ms);
  void waitForRunningPacers(std::unique_lock<std::mutex>& lock);

  platform::Clock& clock_;
  uint32_t lastClockMs_;
  uint64_t clockMs_ = 0;  // clock time since creation, summed from the clock's differences

  Mixer mixer_;
  WavWriter capture_;
  uint64_t renderedFrames_ = 0;
  std::vector<int16_t> scratch_;

  std::mutex pacerMutex_;  // guards the slots and renderedMs_
  std::condition_variable pacerChanged_;
  std::vector<PacerSlot*> pacers_;
  uint64_t renderedMs_ = 0;
};

}  // namespace audio
