// The software mixer both audio backends share: it owns the buffers' live data and renders them,
// resampled to 44100 Hz stereo and mixed with saturation, into 16-bit frames.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/Device.h"

namespace audio {

class MixerBuffer;

class Mixer {
 public:
  Mixer() = default;
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Checks the format and size (Device::createBuffer's rules) and makes a buffer of this mixer.
  std::unique_ptr<Buffer> createBuffer(const WaveFormat& format, uint32_t sizeBytes, std::string* whyNot);

  // Renders the next frames of the mix as interleaved stereo 16-bit samples and advances every
  // playing buffer by the same time.
  void render(int16_t* out, uint32_t frames);

  // Output frames between a buffer's play cursor and its write cursor (the sound card's period).
  void setWriteLeadFrames(uint32_t frames);

  // Buffers alive now (tests and the benchmark).
  size_t bufferCount();

 private:
  friend class MixerBuffer;

  // Guards every buffer's live data and playback state, and the list below.
  std::mutex mutex_;
  std::vector<MixerBuffer*> buffers_;
  std::vector<float> accumulator_;
  uint32_t writeLeadFrames_ = 0;
};

// Why a format or size is refused; empty when it is accepted.
std::string checkBufferFormat(const WaveFormat& format, uint32_t sizeBytes);

}  // namespace audio
