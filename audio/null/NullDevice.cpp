// The null audio device and the pacing of streaming threads by its rendered time.
#include "audio/null/NullDevice.h"

#include <algorithm>
#include <chrono>

#include "platform/Platform.h"

namespace audio {

namespace {

constexpr uint32_t ChunkFrames = 1024;
// A paced thread that does not go back to sleep within this real time is no longer waited for,
// so a stuck thread costs determinism, never a hang.
constexpr auto RunningPacerPatience = std::chrono::seconds(10);
// How often a sleeping paced thread looks at its keep-running flag.
constexpr auto KeepRunningPoll = std::chrono::milliseconds(1);

uint64_t framesAtMs(uint64_t ms) { return ms * OutputRate / 1000; }

}  // namespace

class NullPacer final : public Pacer {
 public:
  explicit NullPacer(NullDevice& device) : device_(device) {
    std::lock_guard<std::mutex> guard(device_.pacerMutex_);
    slot_.lastWakeMs = device_.renderedMs_;
    device_.pacers_.push_back(&slot_);
  }

  ~NullPacer() override {
    std::lock_guard<std::mutex> guard(device_.pacerMutex_);
    auto& list = device_.pacers_;
    list.erase(std::remove(list.begin(), list.end(), &slot_), list.end());
    device_.pacerChanged_.notify_all();
  }

  void sleepMs(uint32_t ms, const std::atomic<bool>& keepRunning) override {
    std::unique_lock<std::mutex> lock(device_.pacerMutex_);
    slot_.wakeMs = slot_.lastWakeMs + ms;
    slot_.sleeping = true;
    device_.pacerChanged_.notify_all();
    while (slot_.sleeping && keepRunning.load()) { device_.pacerChanged_.wait_for(lock, KeepRunningPoll); }
    slot_.sleeping = false;
  }

 private:
  NullDevice& device_;
  NullDevice::PacerSlot slot_;
};

NullDevice::NullDevice(platform::Clock& clock) : clock_(clock), lastClockMs_(clock.nowMs()) {
  scratch_.resize(size_t(ChunkFrames) * OutputChannels);
}

NullDevice::~NullDevice() {
  bool idle;
  {
    std::lock_guard<std::mutex> guard(pacerMutex_);
    idle = pacers_.empty();
  }
  // The capture lasts as long as the run: render the time since the last pump.
  if (idle && capture_.isOpen()) update();
  capture_.close();
}

std::unique_ptr<Buffer> NullDevice::createBuffer(const WaveFormat& format, uint32_t sizeBytes, std::string* whyNot) {
  return mixer_.createBuffer(format, sizeBytes, whyNot);
}

std::unique_ptr<Pacer> NullDevice::createPacer() { return std::make_unique<NullPacer>(*this); }

bool NullDevice::captureTo(const std::string& wavPath) {
  return capture_.open(wavPath, OutputRate, uint16_t(OutputChannels));
}

uint64_t NullDevice::renderedMs() {
  std::lock_guard<std::mutex> guard(pacerMutex_);
  return renderedMs_;
}

void NullDevice::waitForRunningPacers(std::unique_lock<std::mutex>& lock) {
  pacerChanged_.wait_for(lock, RunningPacerPatience, [this] {
    return std::all_of(pacers_.begin(), pacers_.end(), [](const PacerSlot* p) { return p->sleeping; });
  });
}

void NullDevice::update() {
  const uint32_t now = clock_.nowMs();
  clockMs_ += uint32_t(now - lastClockMs_);
  lastClockMs_ = now;
  const uint64_t targetMs = clockMs_;

  std::unique_lock<std::mutex> lock(pacerMutex_);
  for (;;) {
    waitForRunningPacers(lock);
    uint64_t nextMs = targetMs;
    for (const PacerSlot* p : pacers_) {
      if (p->sleeping) nextMs = std::min(nextMs, p->wakeMs);
    }
    if (nextMs > renderedMs_) {
      lock.unlock();
      renderFramesUntil(nextMs);
      lock.lock();
      renderedMs_ = nextMs;
    }
    bool released = false;
    for (PacerSlot* p : pacers_) {
      if (p->sleeping && p->wakeMs <= renderedMs_) {
        p->sleeping = false;
        p->lastWakeMs = p->wakeMs;
        released = true;
      }
    }
    if (released) {
      pacerChanged_.notify_all();
      continue;
    }
    if (renderedMs_ >= targetMs) break;
  }
}

void NullDevice::renderFramesUntil(uint64_t ms) {
  const uint64_t targetFrames = framesAtMs(ms);
  while (renderedFrames_ < targetFrames) {
    const uint32_t frames = uint32_t(std::min<uint64_t>(ChunkFrames, targetFrames - renderedFrames_));
    mixer_.render(scratch_.data(), frames);
    capture_.write(scratch_.data(), size_t(frames) * OutputChannels);
    renderedFrames_ += frames;
  }
}

std::unique_ptr<Device> createNullDevice(platform::Clock& clock) { return std::make_unique<NullDevice>(clock); }

}  // namespace audio
