// Shared set-up of the sound player tests: a null audio device on a hand-driven clock, a scratch
// game folder as the working directory, frames that advance the clocks, fixture files.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "audio/Device.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "sound/C_SoundPlayer.h"
#include "support/ManualClock.h"
#include "support/OggFixture.h"
#include "support/TempDir.h"

namespace soundtest {

using testsupport::ManualClock;

inline void put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void putChunk(std::vector<uint8_t>& b, const char* id, const std::vector<uint8_t>& body, bool pad = true) {
  b.insert(b.end(), id, id + 4);
  put32(b, uint32_t(body.size()));
  b.insert(b.end(), body.begin(), body.end());
  if (pad && (body.size() & 1)) b.push_back(0);
}
inline std::vector<uint8_t> fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t bytes = 16) {
  std::vector<uint8_t> f;
  put16(f, tag);
  put16(f, channels);
  put32(f, rate);
  put32(f, rate * channels * bits / 8);
  put16(f, uint16_t(channels * bits / 8));
  put16(f, bits);
  put16(f, 0);
  f.resize(bytes, 0);
  return f;
}
inline std::vector<uint8_t> pcmBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> b;
  for (int16_t s : samples) put16(b, uint16_t(s));
  return b;
}
// A RIFF/WAVE image of the given chunks.
inline std::vector<uint8_t> riffWave(const std::vector<uint8_t>& chunks) {
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
  put32(b, uint32_t(chunks.size() + 4));
  b.insert(b.end(), {'W', 'A', 'V', 'E'});
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}
inline std::vector<uint8_t> wav16(uint16_t channels, uint32_t rate, const std::vector<int16_t>& samples) {
  std::vector<uint8_t> chunks;
  putChunk(chunks, "fmt ", fmtBody(1, channels, rate, 16));
  putChunk(chunks, "data", pcmBytes(samples));
  return riffWave(chunks);
}

// A sine of `frames` frames; channel c has amplitude / (c + 1).
inline std::vector<int16_t> tone(size_t frames, int channels, double step, double amplitude = 9000) {
  std::vector<int16_t> s(frames * size_t(channels));
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) s[i * channels + c] = int16_t(amplitude / (c + 1) * std::sin(double(i) * step));
  }
  return s;
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::resetEngine();
    archive::resetArchiveSet();
    platform::clearMessageBoxLog();
    chdir_ = std::make_unique<testsupport::ScopedChdir>(dir.path());
    device = audio::createNullDevice(clock);
    engine::context().audioDevice = device.get();
    engine::context().frameNow = clock.now;
    player = std::make_unique<sound::C_SoundPlayer>();
    player->init();
  }
  void TearDown() override {
    player.reset();
    device.reset();
    engine::context().audioDevice = nullptr;
    chdir_.reset();
  }

  // One frame: the clocks move by ms, then the player's per-frame update runs.
  void runFrames(int frames, uint32_t ms = 17) {
    for (int i = 0; i < frames; ++i) {
      clock.now += ms;
      engine::context().frameNow = clock.now;
      player->Update();
    }
  }
  void runMs(uint32_t ms) {
    while (ms >= 17) {
      runFrames(1);
      ms -= 17;
    }
    if (ms) runFrames(1, ms);
  }

  void startCapture() { ASSERT_TRUE(device->captureTo(dir.path() + "/capture.wav")); }
  // Ends the player and the device and returns the captured mix (interleaved stereo).
  std::vector<int16_t> finishCapture() {
    player.reset();
    device.reset();
    engine::context().audioDevice = nullptr;
    auto bytes = testsupport::readAll(dir.path() + "/capture.wav");
    std::vector<int16_t> samples;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) samples.push_back(int16_t(bytes[i] | bytes[i + 1] << 8));
    return samples;
  }

  std::string file(const std::string& name, const std::vector<uint8_t>& bytes) {
    dir.write(name, bytes);
    return name;
  }

  ManualClock clock{5000};
  testsupport::TempDir dir;
  std::unique_ptr<testsupport::ScopedChdir> chdir_;
  std::unique_ptr<audio::Device> device;
  std::unique_ptr<sound::C_SoundPlayer> player;
};

}  // namespace soundtest
