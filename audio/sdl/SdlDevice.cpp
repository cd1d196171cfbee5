// The sound card through SDL2 audio: the shared mixer renders inside SDL's audio callback.
#include "audio/sdl/SdlDevice.h"

#include <SDL.h>

#include <chrono>
#include <thread>

#include "audio/Mixer.h"

namespace audio {

namespace {

constexpr Uint16 CallbackFrames = 1024;  // about 23 ms: well inside the 16 ms polls' halves

class SdlPacer final : public Pacer {
 public:
  void sleepMs(uint32_t ms, const std::atomic<bool>&) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

class SdlDevice final : public Device {
 public:
  ~SdlDevice() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    if (subsystemStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystemStarted_ = true;
    SDL_AudioSpec want{};
    want.freq = int(OutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = Uint8(OutputChannels);
    want.samples = CallbackFrames;
    want.callback = &SdlDevice::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) return false;
    mixer_.setWriteLeadFrames(have.samples);
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  std::unique_ptr<Buffer> createBuffer(const WaveFormat& format, uint32_t sizeBytes, std::string* whyNot) override {
    return mixer_.createBuffer(format, sizeBytes, whyNot);
  }
  std::unique_ptr<Pacer> createPacer() override { return std::make_unique<SdlPacer>(); }
  void update() override {}
  bool captureTo(const std::string&) override { return false; }

 private:
  static void SDLCALL callback(void* userdata, Uint8* stream, int len) {
    auto* self = static_cast<SdlDevice*>(userdata);
    self->mixer_.render(reinterpret_cast<int16_t*>(stream), uint32_t(len) / (OutputChannels * 2));
  }

  Mixer mixer_;
  SDL_AudioDeviceID device_ = 0;
  bool subsystemStarted_ = false;
};

}  // namespace

std::unique_ptr<Device> createSdlDevice() {
  auto device = std::make_unique<SdlDevice>();
  if (!device->open()) return nullptr;
  return device;
}

}  // namespace audio
