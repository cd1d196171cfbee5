// The sound card through SDL2 audio: the shared mixer feeds SDL's callback.
#pragma once

#include <memory>

#include "audio/Device.h"

namespace audio {

// Opens the default output at 44100 Hz stereo 16-bit (SDL converts when the card differs);
// nullptr when no sound card opens.
std::unique_ptr<Device> createSdlDevice();

}  // namespace audio
