// Sc functions of solid characters: each reads its arguments and calls one operation of the
// script scene's solid characters (nothing happens while no array exists or for an index
// outside it).
#include <cstdint>

#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "script/bind/ScValues.h"

namespace script::bind {

namespace {

int ScInitSceneSolidChara(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer count = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::InitSceneSolidChara(*s, SaturatedInt(count));
  return ReturnZero(L);
}

int ScSetSolidChara(lua_State* L) {
  const bool withDiff = lua_gettop(L) > 6;
  ScArgs args(L, withDiff ? "isnnnisii" : "isnnni");
  const lua_Integer index = args.integer(1);
  const char* file = args.string(2);
  const lua_Number x = args.number(3), y = args.number(4), z = args.number(5);
  const lua_Integer time = args.integer(6);
  const char* diff = withDiff ? args.string(7) : nullptr;
  const lua_Integer diffX = withDiff ? args.integer(8) : 0, diffY = withDiff ? args.integer(9) : 0;
  if (scene::C_BaseScene* s = ScriptScene())
    chara::SetSolidChara(*s, SaturatedInt(index), file, Num(x), Num(y), Num(z), SaturatedInt(time), withDiff, diff,
                         SaturatedInt(diffX), SaturatedInt(diffY));
  return ReturnZero(L);
}

int ScDelSolidChara(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer index = args.integer(1), time = args.integer(2);
  if (scene::C_BaseScene* s = ScriptScene()) chara::DeleteSolidChara(*s, SaturatedInt(index), SaturatedInt(time));
  return ReturnZero(L);
}

int ScChangeSolidChara(lua_State* L) {
  ScArgs args(L, "isi");
  const lua_Integer index = args.integer(1);
  const char* file = args.string(2);
  args.integer(3);  // the time is read and not used: the new mesh shows at once
  if (scene::C_BaseScene* s = ScriptScene()) chara::ChangeSolidChara(*s, SaturatedInt(index), file);
  return ReturnZero(L);
}

int ScPutSolidChara(lua_State* L) {
  ScArgs args(L, "innn");
  const lua_Integer index = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3), z = args.number(4);
  if (scene::C_BaseScene* s = ScriptScene()) chara::PutSolidChara(*s, SaturatedInt(index), Num(x), Num(y), Num(z));
  return ReturnZero(L);
}

int ScReSizeSolidChara(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer index = args.integer(1);
  const lua_Number width = args.number(2), height = args.number(3);
  if (scene::C_BaseScene* s = ScriptScene()) chara::ReSizeSolidChara(*s, SaturatedInt(index), Num(width), Num(height));
  return ReturnZero(L);
}

int ScReScaleSolidChara(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer index = args.integer(1);
  const lua_Number scaleX = args.number(2), scaleY = args.number(3);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::ReScaleSolidChara(*s, SaturatedInt(index), Num(scaleX), Num(scaleY));
  return ReturnZero(L);
}

int ScMoveSolidCharaReset(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer index = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MoveSolidCharaReset(*s, SaturatedInt(index));
  return ReturnZero(L);
}

int MoveSolidCharaAdd(lua_State* L, bool relative) {
  ScArgs args(L, "innnnnn");
  const lua_Integer index = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3), z = args.number(4), scaleX = args.number(5),
                   scaleY = args.number(6), time = args.number(7);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::MoveSolidCharaAdd(*s, SaturatedInt(index), relative, Num(x), Num(y), Num(z), Num(scaleX), Num(scaleY),
                             Truncated(time));
  return ReturnZero(L);
}
int ScMoveSolidCharaAdd_REL(lua_State* L) { return MoveSolidCharaAdd(L, true); }
int ScMoveSolidCharaAdd_ABS(lua_State* L) { return MoveSolidCharaAdd(L, false); }

int ScMoveSolidCharaSet(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer index = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MoveSolidCharaSet(*s, SaturatedInt(index));
  return ReturnZero(L);
}

int ScMoveSplineSolidCharaReset(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer index = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MoveSplineSolidCharaReset(*s, SaturatedInt(index));
  return ReturnZero(L);
}

int MoveSplineSolidCharaAdd(lua_State* L, bool relative) {
  ScArgs args(L, "innnn");
  const lua_Integer index = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3), scaleX = args.number(4), scaleY = args.number(5);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::MoveSplineSolidCharaAdd(*s, SaturatedInt(index), relative, Num(x), Num(y), Num(scaleX), Num(scaleY));
  return ReturnZero(L);
}
int ScMoveSplineSolidCharaAdd_REL(lua_State* L) { return MoveSplineSolidCharaAdd(L, true); }
int ScMoveSplineSolidCharaAdd_ABS(lua_State* L) { return MoveSplineSolidCharaAdd(L, false); }

int ScMoveSplineSolidCharaSet(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer index = args.integer(1), time = args.integer(2);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::MoveSplineSolidCharaSet(*s, SaturatedInt(index), SaturatedInt(time));
  return ReturnZero(L);
}

int ScShakeSolidChara(lua_State* L) {
  ScArgs args(L, "innnnn");
  const lua_Integer index = args.integer(1);
  const lua_Number h = args.number(2), v = args.number(3), z = args.number(4), decay = args.number(5),
                   range = args.number(6);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::ShakeSolidChara(*s, SaturatedInt(index), Num(h), Num(v), Num(z), Num(decay), Truncated(range));
  return ReturnZero(L);
}

int ScSetAutoShakeParam(lua_State* L) {
  ScArgs args(L, "iinn");
  const lua_Integer index = args.integer(1), period = args.integer(2);
  const lua_Number power = args.number(3), angle = args.number(4);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::SetAutoShake(*s, SaturatedInt(index), float(SaturatedInt(period)), Num(power), Num(angle));
  return ReturnZero(L);
}

int ScResetAutoShakeParam(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer index = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::ResetAutoShake(*s, SaturatedInt(index));
  return ReturnZero(L);
}

int ScSetMouseOperate(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer on = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::SetMouseOperate(*s, on != 0);
  return ReturnZero(L);
}

int ScSetSoildClickableFlag(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer on = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::SetSolidClickable(*s, on != 0);
  return ReturnZero(L);
}

}  // namespace

const ScFunction kSolidFunctions[] = {
    {"ScInitSceneSolidChara", ScInitSceneSolidChara},
    {"ScSetSolidChara", ScSetSolidChara},
    {"ScDelSolidChara", ScDelSolidChara},
    {"ScChangeSolidChara", ScChangeSolidChara},
    {"ScPutSolidChara", ScPutSolidChara},
    {"ScReSizeSolidChara", ScReSizeSolidChara},
    {"ScReScaleSolidChara", ScReScaleSolidChara},
    {"ScMoveSolidCharaReset", ScMoveSolidCharaReset},
    {"ScMoveSolidCharaAdd_REL", ScMoveSolidCharaAdd_REL},
    {"ScMoveSolidCharaAdd_ABS", ScMoveSolidCharaAdd_ABS},
    {"ScMoveSolidCharaSet", ScMoveSolidCharaSet},
    {"ScMoveSplineSolidCharaReset", ScMoveSplineSolidCharaReset},
    {"ScMoveSplineSolidCharaAdd_REL", ScMoveSplineSolidCharaAdd_REL},
    {"ScMoveSplineSolidCharaAdd_ABS", ScMoveSplineSolidCharaAdd_ABS},
    {"ScMoveSplineSolidCharaSet", ScMoveSplineSolidCharaSet},
    {"ScShakeSolidChara", ScShakeSolidChara},
    {"ScSetAutoShakeParam", ScSetAutoShakeParam},
    {"ScResetAutoShakeParam", ScResetAutoShakeParam},
    {"ScSetMouseOperate", ScSetMouseOperate},
    {"ScSetSoildClickableFlag", ScSetSoildClickableFlag},
    {nullptr, nullptr},
};

}  // namespace script::bind
