// Sc functions of music, effects and voices: each reads its arguments and calls one operation of
// the sound player (music always plays in the player's current slot).
#include <string>

#include "engine/Engine.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "sound/C_SoundPlayer.h"

namespace script::bind {

namespace {

sound::C_SoundPlayer* Player() { return engine::context().soundPlayer; }

int ScPlayBGM(lua_State* L) {
  ScArgs args(L, "sii");
  const char* file = args.string(1);
  const lua_Integer time = args.integer(2);
  const lua_Integer loop = args.integer(3);  // music always loops
  (void)loop;
  if (sound::C_SoundPlayer* player = Player()) player->PlayBGM(file, static_cast<int32_t>(time));
  return ReturnZero(L);
}

int ScStopBGM(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer time = args.integer(1);
  if (sound::C_SoundPlayer* player = Player()) player->StopBGM(static_cast<int32_t>(time));
  return ReturnZero(L);
}

int ScVolumeBGM(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer volume = args.integer(1);
  if (sound::C_SoundPlayer* player = Player()) player->SetBGMVolume(static_cast<int32_t>(volume));
  return ReturnZero(L);
}

int ScCrossFadeBGM(lua_State* L) {
  ScArgs args(L, "sii");
  const char* file = args.string(1);
  const lua_Integer time = args.integer(2);
  const lua_Integer volume = args.integer(3);
  if (sound::C_SoundPlayer* player = Player()) {
    player->CrossFadeBGM(file, static_cast<int32_t>(time), static_cast<int32_t>(volume));
  }
  return ReturnZero(L);
}

// Buffer numbers outside 0..19 are ignored by the player.
int ScPlaySE(lua_State* L) {
  ScArgs args(L, "isi");
  const lua_Integer buffer = args.integer(1);
  const char* file = args.string(2);
  const lua_Integer loopCount = args.integer(3);  // effects play once
  (void)loopCount;
  if (buffer < 0) return ReturnZero(L);
  if (sound::C_SoundPlayer* player = Player()) player->PlaySE(static_cast<int32_t>(buffer), file);
  return ReturnZero(L);
}

int ScStopSE(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer buffer = args.integer(1);
  if (sound::C_SoundPlayer* player = Player()) player->StopSE(static_cast<int32_t>(buffer));
  return ReturnZero(L);
}

int ScStopAllSE(lua_State* L) {
  if (sound::C_SoundPlayer* player = Player()) player->StopAllSE();
  return ReturnZero(L);
}

int ScVolumeSE(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer buffer = args.integer(1);
  const lua_Integer volume = args.integer(2);
  if (sound::C_SoundPlayer* player = Player()) {
    player->SetSEVolume(static_cast<int32_t>(buffer), static_cast<int32_t>(volume));
  }
  return ReturnZero(L);
}

}  // namespace

const ScFunction kSoundFunctions[] = {
    {"ScPlayBGM", ScPlayBGM},           {"ScStopBGM", ScStopBGM},   {"ScVolumeBGM", ScVolumeBGM},
    {"ScCrossFadeBGM", ScCrossFadeBGM}, {"ScPlaySE", ScPlaySE},     {"ScStopSE", ScStopSE},
    {"ScStopAllSE", ScStopAllSE},       {"ScVolumeSE", ScVolumeSE}, {nullptr, nullptr},
};

}  // namespace script::bind
