// Chooses the audio backend by the platform the program runs on.
#include "audio/Device.h"

#include "audio/sdl/SdlDevice.h"
#include "platform/Platform.h"

namespace audio {

std::unique_ptr<Device> createDevice(platform::Platform& platform) {
  if (platform.kind() == platform::Kind::Desktop) {
    if (auto card = createSdlDevice()) return card;
  }
  return createNullDevice(platform.clock());
}

}  // namespace audio
