// Sc functions of the windows: each reads its arguments and calls one window operation on the
// scene the scripts drive.
#include <string_view>

#include "engine/Engine.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "window/WindowOperations.h"

namespace script::bind {

namespace {

// String arguments are held in buffers of 256 bytes.
constexpr size_t kStringBytes = 255;

scene::C_BaseScene* Scene() {
  C_EventMain* events = engine::context().eventMain;
  return events ? events->drivenScene : nullptr;
}

std::string_view Cut(const char* text, size_t length) { return {text, length < kStringBytes ? length : kStringBytes}; }

// The window address every function starts with: (type, page).
struct Address {
  const char* type;
  size_t typeLength;
  lua_Integer page;
  std::string_view typeName() const { return Cut(type, typeLength); }
  int32_t pageNumber() const { return static_cast<int32_t>(page); }
};

Address ReadAddress(const ScArgs& args) {
  Address at{};
  at.type = args.string(1, &at.typeLength);
  at.page = args.integer(2);
  return at;
}

int ScSetWindow(lua_State* L) {
  ScArgs args(L, "sisiinni");
  const Address at = ReadAddress(args);
  size_t fileLength = 0;
  const char* file = args.string(3, &fileLength);
  const lua_Integer width = args.integer(4);
  const lua_Integer height = args.integer(5);
  const lua_Number x = args.number(6);
  const lua_Number y = args.number(7);
  const lua_Integer draggable = args.integer(8);
  char name[kStringBytes + 1];
  const std::string_view kept = Cut(file, fileLength);
  kept.copy(name, kept.size());
  name[kept.size()] = '\0';
  if (scene::C_BaseScene* scene = Scene())
    window::SetWindow(*scene, at.typeName(), at.pageNumber(), name, static_cast<int32_t>(width),
                      static_cast<int32_t>(height), static_cast<float>(x), static_cast<float>(y), draggable != 0);
  return ReturnZero(L);
}

int ScSetTextAreaWindow(lua_State* L) {
  ScArgs args(L, "sinnnn");
  const Address at = ReadAddress(args);
  const lua_Number left = args.number(3), top = args.number(4), right = args.number(5), bottom = args.number(6);
  if (scene::C_BaseScene* scene = Scene())
    window::SetTextAreaWindow(*scene, at.typeName(), at.pageNumber(), static_cast<float>(left), static_cast<float>(top),
                              static_cast<float>(right), static_cast<float>(bottom));
  return ReturnZero(L);
}

int ScSetFontWindow(lua_State* L) {
  ScArgs args(L, "siiisi");
  const Address at = ReadAddress(args);
  const lua_Integer fontType = args.integer(3);
  const lua_Integer size = args.integer(4);
  size_t nameLength = 0;
  const char* fontName = args.string(5, &nameLength);
  const lua_Integer bold = args.integer(6);
  char name[kStringBytes + 1];
  const std::string_view kept = Cut(fontName, nameLength);
  kept.copy(name, kept.size());
  name[kept.size()] = '\0';
  if (scene::C_BaseScene* scene = Scene())
    window::SetFontWindow(*scene, at.typeName(), at.pageNumber(), static_cast<int32_t>(fontType),
                          static_cast<int32_t>(size), name, static_cast<int32_t>(bold));
  return ReturnZero(L);
}

int ScSetFontMargin(lua_State* L) {
  ScArgs args(L, "siii");
  const Address at = ReadAddress(args);
  const lua_Integer marginW = args.integer(3), marginH = args.integer(4);
  if (scene::C_BaseScene* scene = Scene())
    window::SetFontMargin(*scene, at.typeName(), at.pageNumber(), static_cast<int32_t>(marginW),
                          static_cast<int32_t>(marginH));
  return ReturnZero(L);
}

int ScSetFontSpeedWindow(lua_State* L) {
  ScArgs args(L, "sin");
  const Address at = ReadAddress(args);
  const lua_Number speed = args.number(3);
  if (scene::C_BaseScene* scene = Scene())
    window::SetFontSpeedWindow(*scene, at.typeName(), at.pageNumber(), static_cast<float>(speed));
  return ReturnZero(L);
}

template <void (*Operation)(scene::C_BaseScene&, std::string_view, int32_t, int32_t)>
int TimedWindowFunction(lua_State* L) {
  ScArgs args(L, "sii");
  const Address at = ReadAddress(args);
  const lua_Integer time = args.integer(3);
  if (scene::C_BaseScene* scene = Scene())
    Operation(*scene, at.typeName(), at.pageNumber(), static_cast<int32_t>(time));
  return ReturnZero(L);
}

int ScShowWindow(lua_State* L) {
  ScArgs args(L, "sii");
  const Address at = ReadAddress(args);
  const lua_Integer visible = args.integer(3);
  if (scene::C_BaseScene* scene = Scene()) window::ShowWindow(*scene, at.typeName(), at.pageNumber(), visible != 0);
  return ReturnZero(L);
}

int ScSetTextWindow(lua_State* L) {
  ScArgs args(L, "sis");
  const Address at = ReadAddress(args);
  size_t textLength = 0;
  const char* text = args.string(3, &textLength);
  C_EventMain* events = engine::context().eventMain;
  if (events && events->drivenScene) {
    // The text is cut to its buffer by the insertion of flag values.
    window::SetTextWindow(*events->drivenScene, events->flags, events->history, at.typeName(), at.pageNumber(),
                          std::string_view(text, textLength));
  }
  return ReturnZero(L);
}

template <void (*Operation)(scene::C_BaseScene&, std::string_view, int32_t, std::string_view, int32_t)>
int BindingFunction(lua_State* L) {
  ScArgs args(L, "sisi");
  const Address at = ReadAddress(args);
  size_t parentLength = 0;
  const char* parentType = args.string(3, &parentLength);
  const lua_Integer parentPage = args.integer(4);
  if (scene::C_BaseScene* scene = Scene())
    Operation(*scene, at.typeName(), at.pageNumber(), Cut(parentType, parentLength), static_cast<int32_t>(parentPage));
  return ReturnZero(L);
}

template <bool active>
int WindowActivation(lua_State* L) {
  ScArgs args(L, "si");
  const Address at = ReadAddress(args);
  if (scene::C_BaseScene* scene = Scene()) window::SetWindowActive(*scene, at.typeName(), at.pageNumber(), active);
  return ReturnZero(L);
}

}  // namespace

const ScFunction kWindowFunctions[] = {
    {"ScSetWindow", ScSetWindow},
    {"ScSetTextAreaWindow", ScSetTextAreaWindow},
    {"ScSetFontWindow", ScSetFontWindow},
    {"ScSetFontMargin", ScSetFontMargin},
    {"ScSetFontSpeedWindow", ScSetFontSpeedWindow},
    {"ScOpenWindow", TimedWindowFunction<window::OpenWindow>},
    {"ScCloseWindow", TimedWindowFunction<window::CloseWindow>},
    {"ScShowWindow", ScShowWindow},
    {"ScSetTextWindow", ScSetTextWindow},
    {"ScBindWindow", BindingFunction<window::BindWindow>},
    {"ScResetBindWindow", BindingFunction<window::ResetBindWindow>},
    {"ScWindowActive", WindowActivation<true>},
    {"ScWindowNotActive", WindowActivation<false>},
    {nullptr, nullptr},
};

}  // namespace script::bind
