// Sc functions of the solid event picture: each reads its arguments and calls one operation of
// the scene's event picture (nothing happens while no solid-character array exists).
#include <cstdint>

#include "chara/C_SolidEventLayer.h"
#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "script/bind/ScValues.h"

namespace script::bind {

namespace {

chara::C_SolidEventLayer* EventPicture() {
  scene::C_BaseScene* s = ScriptScene();
  return s ? chara::FindSolidEvent(*s) : nullptr;
}

int ScSetSolidEvent(lua_State* L) {
  ScArgs args(L, "snnni");
  const char* file = args.string(1);
  const lua_Number x = args.number(2), y = args.number(3), z = args.number(4);
  const lua_Integer time = args.integer(5);
  if (chara::C_SolidEventLayer* ev = EventPicture()) {
    ev->SetEvent(file, SaturatedInt(time));
    ev->PutEvent(Num(x), Num(y), Num(z));
  }
  return ReturnZero(L);
}

int ScDelSolidEvent(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer time = args.integer(1);
  if (chara::C_SolidEventLayer* ev = EventPicture()) ev->DeleteEvent(SaturatedInt(time));
  return ReturnZero(L);
}

// ScChangeSolidEvent, ScReSizeSolidEvent and ScReScaleSolidEvent: any arguments, no effect.
int ScSolidEventNothing(lua_State*) { return 0; }

int ScShakeSolidEvent(lua_State* L) {
  ScArgs args(L, "nnnnn");
  const lua_Number h = args.number(1), v = args.number(2), z = args.number(3), decay = args.number(4),
                   range = args.number(5);
  if (chara::C_SolidEventLayer* ev = EventPicture())
    ev->ShakeEvent(Num(h), Num(v), Num(z), Num(decay), Truncated(range));
  return ReturnZero(L);
}

int ScSetAutoShakeParamEvent(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer period = args.integer(1);
  const lua_Number power = args.number(2), angle = args.number(3);
  if (chara::C_SolidEventLayer* ev = EventPicture())
    ev->AutoShakeEvent(float(SaturatedInt(period)), Num(power), Num(angle));
  return ReturnZero(L);
}

int ScResetAutoShakeParamEvent(lua_State* L) {
  if (chara::C_SolidEventLayer* ev = EventPicture()) ev->ResetAutoShakeEvent();
  return ReturnZero(L);
}

}  // namespace

const ScFunction kSolidEventFunctions[] = {
    {"ScSetSolidEvent", ScSetSolidEvent},
    {"ScDelSolidEvent", ScDelSolidEvent},
    {"ScChangeSolidEvent", ScSolidEventNothing},
    {"ScReSizeSolidEvent", ScSolidEventNothing},
    {"ScReScaleSolidEvent", ScSolidEventNothing},
    {"ScShakeSolidEvent", ScShakeSolidEvent},
    {"ScSetAutoShakeParamEvent", ScSetAutoShakeParamEvent},
    {"ScResetAutoShakeParamEvent", ScResetAutoShakeParamEvent},
    {nullptr, nullptr},
};

}  // namespace script::bind
