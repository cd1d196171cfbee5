// WAV effects: the RIFF reader's chunk search and the format checks.
#include "SoundFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PlayEffect("fuzz.wav", data, size);
  return 0;
}
