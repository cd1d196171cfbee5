// The inline voice of a message text: "<voice buf='n' file='name'>" cut out of the text and played
// through the sound player, and the voice check the auto mode waits on.
#pragma once

#include <cstdint>
#include <string>

namespace sound {

struct VoiceTag {
  bool found = false;
  int32_t buffer = -1;  // -1: the tag names no buffer, and nothing plays
  std::string file;     // recorded with the text in the history even when nothing plays
};

// Cuts the first "<voice" ... ">" out of the text together with the three bytes after it (the
// "<n>" the translator put after the line that held it). Inside the tag, "buf" followed by a
// number in single quotes (at most 5 digits) gives the buffer, "file" followed by a name in single
// quotes the file. A "<voice" without a closing ">" is left in the text.
VoiceTag CutVoiceTag(std::string& text);

// Plays a cut voice at full volume in its buffer (nothing when it names no buffer).
void PlayVoiceTag(const VoiceTag& voice);

// Whether a buffer of the voice range plays (the sound player's IsVoicePlaying; false without a
// sound player).
bool SoundPlayerVoicePlaying();

}  // namespace sound
