// Ogg Vorbis effects: decoded whole from the player's copy in memory.
#include "SoundFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::PlayEffect("fuzz.ogg", data, size);
  return 0;
}
