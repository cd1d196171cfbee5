// Sc functions of backgrounds and plain characters: each reads its arguments and calls one
// operation of the script scene's pictures.
#include <cstdint>

#include "chara/PlainCharas.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "script/bind/ScValues.h"

namespace script::bind {

namespace {

int32_t Int(lua_Integer v) { return static_cast<int32_t>(v); }

int ScSetBG(lua_State* L) {
  ScArgs args(L, "siinnni");
  const char* file = args.string(1);
  const lua_Integer width = args.integer(2), height = args.integer(3);
  const lua_Number x = args.number(4), y = args.number(5), rotation = args.number(6);
  const lua_Integer time = args.integer(7);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::SetBackground(*s, file, Int(width), Int(height), Num(x), Num(y), Num(rotation), Int(time));
  return ReturnZero(L);
}

int ScReSizeBG(lua_State* L) {
  ScArgs args(L, "nn");
  const lua_Number width = args.number(1), height = args.number(2);
  if (scene::C_BaseScene* s = ScriptScene()) chara::ReSizeBackground(*s, Num(width), Num(height));
  return ReturnZero(L);
}

int ScSetPlainChara(lua_State* L) {
  ScArgs args(L, "isnni");
  const lua_Integer page = args.integer(1);
  const char* file = args.string(2);
  const lua_Number x = args.number(3), y = args.number(4);
  const lua_Integer time = args.integer(5);
  if (scene::C_BaseScene* s = ScriptScene()) chara::SetPlainChara(*s, Int(page), file, Num(x), Num(y), Int(time));
  return ReturnZero(L);
}

int ScDelPlainChara(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer page = args.integer(1), time = args.integer(2);
  if (scene::C_BaseScene* s = ScriptScene()) chara::DeletePlainChara(*s, Int(page), Int(time));
  return ReturnZero(L);
}

int ScPutPlainChara(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer page = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3);
  if (scene::C_BaseScene* s = ScriptScene()) chara::PutPlainChara(*s, Int(page), Num(x), Num(y));
  return ReturnZero(L);
}

int ScReSizePlainChara(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer page = args.integer(1);
  const lua_Number width = args.number(2), height = args.number(3);
  if (scene::C_BaseScene* s = ScriptScene()) chara::ReSizePlainChara(*s, Int(page), Num(width), Num(height));
  return ReturnZero(L);
}

int ScReScalePlainChara(lua_State* L) {
  ScArgs args(L, "inn");
  const lua_Integer page = args.integer(1);
  const lua_Number scaleX = args.number(2), scaleY = args.number(3);
  if (scene::C_BaseScene* s = ScriptScene()) chara::ReScalePlainChara(*s, Int(page), Num(scaleX), Num(scaleY));
  return ReturnZero(L);
}

int ScMovePlainCharaReset(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MovePlainCharaReset(*s, Int(page));
  return ReturnZero(L);
}

int MovePlainCharaAdd(lua_State* L, bool relative) {
  ScArgs args(L, "innnnn");
  const lua_Integer page = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3), scaleX = args.number(4), scaleY = args.number(5);
  const lua_Number time = args.number(6);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::MovePlainCharaAdd(*s, Int(page), relative, Num(x), Num(y), Num(scaleX), Num(scaleY), Truncated(time));
  return ReturnZero(L);
}
int ScMovePlainCharaAdd_REL(lua_State* L) { return MovePlainCharaAdd(L, true); }
int ScMovePlainCharaAdd_ABS(lua_State* L) { return MovePlainCharaAdd(L, false); }

int ScMovePlainCharaSet(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MovePlainCharaSet(*s, Int(page));
  return ReturnZero(L);
}

int ScMoveSplinePlainCharaReset(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MoveSplinePlainCharaReset(*s, Int(page));
  return ReturnZero(L);
}

int MoveSplinePlainCharaAdd(lua_State* L, bool relative) {
  ScArgs args(L, "innnn");
  const lua_Integer page = args.integer(1);
  const lua_Number x = args.number(2), y = args.number(3), scaleX = args.number(4), scaleY = args.number(5);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::MoveSplinePlainCharaAdd(*s, Int(page), relative, Num(x), Num(y), Num(scaleX), Num(scaleY));
  return ReturnZero(L);
}
int ScMoveSplinePlainCharaAdd_REL(lua_State* L) { return MoveSplinePlainCharaAdd(L, true); }
int ScMoveSplinePlainCharaAdd_ABS(lua_State* L) { return MoveSplinePlainCharaAdd(L, false); }

int ScMoveSplinePlainCharaSet(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer page = args.integer(1), time = args.integer(2);
  if (scene::C_BaseScene* s = ScriptScene()) chara::MoveSplinePlainCharaSet(*s, Int(page), Int(time));
  return ReturnZero(L);
}

int ScUseUVPlainChara(lua_State* L) {
  ScArgs args(L, "innnn");
  const lua_Integer page = args.integer(1);
  const lua_Number offsetU = args.number(2), offsetV = args.number(3), scaleU = args.number(4), scaleV = args.number(5);
  if (scene::C_BaseScene* s = ScriptScene())
    chara::UseUVPlainChara(*s, Int(page), Num(offsetU), Num(offsetV), Num(scaleU), Num(scaleV));
  return ReturnZero(L);
}

int ScNoUseUVPlainChara(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* s = ScriptScene()) chara::NoUseUVPlainChara(*s, Int(page));
  return ReturnZero(L);
}

}  // namespace

const ScFunction kPictureFunctions[] = {
    {"ScSetBG", ScSetBG},
    {"ScReSizeBG", ScReSizeBG},
    {"ScSetPlainChara", ScSetPlainChara},
    {"ScDelPlainChara", ScDelPlainChara},
    {"ScPutPlainChara", ScPutPlainChara},
    {"ScReSizePlainChara", ScReSizePlainChara},
    {"ScReScalePlainChara", ScReScalePlainChara},
    {"ScMovePlainCharaReset", ScMovePlainCharaReset},
    {"ScMovePlainCharaAdd_REL", ScMovePlainCharaAdd_REL},
    {"ScMovePlainCharaAdd_ABS", ScMovePlainCharaAdd_ABS},
    {"ScMovePlainCharaSet", ScMovePlainCharaSet},
    {"ScMoveSplinePlainCharaReset", ScMoveSplinePlainCharaReset},
    {"ScMoveSplinePlainCharaAdd_REL", ScMoveSplinePlainCharaAdd_REL},
    {"ScMoveSplinePlainCharaAdd_ABS", ScMoveSplinePlainCharaAdd_ABS},
    {"ScMoveSplinePlainCharaSet", ScMoveSplinePlainCharaSet},
    {"ScUseUVPlainChara", ScUseUVPlainChara},
    {"ScNoUseUVPlainChara", ScNoUseUVPlainChara},
    {nullptr, nullptr},
};

}  // namespace script::bind
