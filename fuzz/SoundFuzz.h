// The sound-effect loader over a file of the input's bytes, with a null audio device.
#pragma once

#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "archive/ArchiveSet.h"
#include "audio/Device.h"
#include "engine/Engine.h"
#include "sound/C_SoundPlayer.h"

namespace fuzz {

class StillClock final : public platform::Clock {
 public:
  uint32_t nowMs() override { return 5000; }
  void sleepMs(uint32_t) override {}
};

// Loads the input as the effect `name` (its extension picks WAV or Ogg Vorbis) into buffer 2.
inline void PlayEffect(const std::string& name, const uint8_t* data, size_t size) {
  static StillClock clock;
  static std::unique_ptr<audio::Device> device = [] {
    EnterScratchFolder();
    return audio::createNullDevice(clock);
  }();
  engine::context().audioDevice = device.get();
  WriteFile(name, data, size);
  archive::resetArchiveSet();
  sound::C_SoundPlayer player;
  player.init();
  player.PlaySE(2, name);
  player.Update();
  engine::context().audioDevice = nullptr;
  ForgetMessageBoxes();
}

}  // namespace fuzz
