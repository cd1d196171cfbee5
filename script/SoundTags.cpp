// The sound tags: music, effects and their volumes, each the same operation as its Sc function.
#include <string>

#include "engine/Engine.h"
#include "script/C_EventMain.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"
#include "sound/C_SoundPlayer.h"

namespace script {

namespace {

sound::C_SoundPlayer* Player() { return engine::context().soundPlayer; }

// A time above 1 cross-fades into the other slot; otherwise the music starts in the current slot
// and takes the volume at once.
bool PlayBGM(C_EventMain& events, const TagTokens& tokens) {
  std::string file;
  int32_t time = 0;
  int32_t volume = 100;
  bool loop = false, crossFade = false;  // read, change nothing
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "file") file = value;
    if (key == "time") time = TagInt(value);
    if (key == "volume") volume = TagInt(value);
    if (key == "loop") loop = TagBool(value, {"true", "TRUE"});
    if (key == "cross_fade") crossFade = TagBool(value, {"true", "TRUE"});
  });
  (void)loop;
  (void)crossFade;
  sound::C_SoundPlayer* player = Player();
  if (!player) return true;
  if (time > 1) {
    player->CrossFadeBGM(file, time, volume);
  } else {
    player->PlayBGM(file, time);
    player->SetBGMVolume(volume);
  }
  return true;
}

bool StopBGM(C_EventMain& events, const TagTokens& tokens) {
  int32_t time = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "time") time = TagInt(value);
  });
  if (sound::C_SoundPlayer* player = Player()) player->StopBGM(time);
  return true;
}

bool PropBGM(C_EventMain& events, const TagTokens& tokens) {
  int32_t time = 0;  // read, not used: the volume changes at once
  int32_t volume = 100;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "time") time = TagInt(value);
    if (key == "volume") volume = TagInt(value);
  });
  (void)time;
  if (sound::C_SoundPlayer* player = Player()) player->SetBGMVolume(volume);
  return true;
}

// The effect plays once in buffer `buf` (a negative buffer does nothing), then takes `volume`.
bool PlaySE(C_EventMain& events, const TagTokens& tokens) {
  std::string file;
  int32_t buffer = 0;
  int32_t loopCount = 0;  // read, not used: effects play once
  int32_t volume = 100;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "file") file = value;
    if (key == "buf") buffer = TagInt(value);
    if (key == "loop_count") loopCount = TagInt(value);
    if (key == "volume") volume = TagInt(value);
  });
  (void)loopCount;
  sound::C_SoundPlayer* player = Player();
  if (!player || buffer < 0) return true;
  player->PlaySE(buffer, file);
  player->SetSEVolume(buffer, volume);
  return true;
}

bool StopSE(C_EventMain& events, const TagTokens& tokens) {
  int32_t buffer = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "buf") buffer = TagInt(value);
  });
  if (sound::C_SoundPlayer* player = Player()) player->StopSE(buffer);
  return true;
}

bool StopAllSE(C_EventMain&, const TagTokens&) {
  if (sound::C_SoundPlayer* player = Player()) player->StopAllSE();
  return true;
}

bool PropSE(C_EventMain& events, const TagTokens& tokens) {
  int32_t buffer = 0;
  int32_t volume = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "buf") buffer = TagInt(value);
    if (key == "volume") volume = TagInt(value);
  });
  if (sound::C_SoundPlayer* player = Player()) player->SetSEVolume(buffer, volume);
  return true;
}

}  // namespace

void RegisterSoundTags(TagTable& table) {
  table.add("PlayBGM", PlayBGM);
  table.add("StopBGM", StopBGM);
  table.add("PropBGM", PropBGM);
  table.add("PlaySE", PlaySE);
  table.add("StopSE", StopSE);
  table.add("StopAllSE", StopAllSE);
  table.add("PropSE", PropSE);
}

}  // namespace script
