// The inline voice of a message text and the auto mode's voice check.
#include "sound/VoiceTag.h"

#include <cstdlib>

#include "engine/Engine.h"
#include "sound/C_SoundPlayer.h"

namespace sound {

namespace {

constexpr size_t MaxBufferDigits = 5;
// The line break the translator leaves after a voice tag on its own line.
constexpr char LineBreakAfterTag[] = "<n>";

// The text between the first two single quotes after `key` inside the tag; false when the key
// or its opening quote is missing. A missing closing quote ends the value at the tag's end.
bool QuotedValue(const std::string& tag, const char* key, std::string& value) {
  const size_t at = tag.find(key);
  if (at == std::string::npos) return false;
  const size_t open = tag.find('\'', at);
  if (open == std::string::npos) return false;
  size_t close = tag.find('\'', open + 1);
  if (close == std::string::npos) close = tag.size();
  value = tag.substr(open + 1, close - open - 1);
  return true;
}

}  // namespace

VoiceTag CutVoiceTag(std::string& text) {
  VoiceTag voice;
  const size_t start = text.find("<voice");
  if (start == std::string::npos) return voice;
  const size_t end = text.find('>', start);
  if (end == std::string::npos) return voice;
  voice.found = true;
  // The tag without its "<voice" and ">".
  const std::string tag = text.substr(start + 6, end - start - 6);
  std::string digits;
  if (QuotedValue(tag, "buf", digits)) voice.buffer = std::atoi(digits.substr(0, MaxBufferDigits).c_str());
  QuotedValue(tag, "file", voice.file);
  // The tag goes with the "<n>" that follows it; anything else after the tag is text and stays
  // (cutting three bytes blindly would split a double-byte character in half).
  size_t cutEnd = end + 1;
  if (text.compare(cutEnd, 3, LineBreakAfterTag) == 0) cutEnd += 3;
  text.erase(start, cutEnd - start);
  return voice;
}

void PlayVoiceTag(const VoiceTag& voice) {
  if (voice.buffer < 0) return;
  if (C_SoundPlayer* player = engine::context().soundPlayer) player->PlayVoice(voice.buffer, voice.file);
}

bool SoundPlayerVoicePlaying() {
  C_SoundPlayer* player = engine::context().soundPlayer;
  return player && player->IsVoicePlaying();
}

}  // namespace sound
