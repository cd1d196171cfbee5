// Sc functions of the selections, buttons, sliders and check buttons: each reads its arguments,
// then calls one operation on the scene the scripts drive.
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/Engine.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "text/Cp932.h"
#include "window/WidgetOperations.h"

namespace script::bind {

namespace {

// String arguments are held in buffers of 256 bytes; a cut never leaves half a character.
constexpr size_t kStringBytes = 255;

std::string_view Cut(const char* text, size_t length) {
  const std::string_view whole(text, length);
  if (length <= kStringBytes) return whole;
  size_t kept = 0;
  for (const text::Cp932Character& c : text::Cp932Characters(whole)) {
    if (c.offset + c.length > kStringBytes) break;
    kept = c.offset + c.length;
  }
  return whole.substr(0, kept);
}

C_EventMain* Events() { return engine::context().eventMain; }

scene::C_BaseScene* Scene() {
  C_EventMain* events = Events();
  return events ? events->drivenScene : nullptr;
}

int32_t Page(lua_Integer page) {
  if (page < INT32_MIN) return INT32_MIN;
  if (page > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(page);
}

// A layout number as float; one beyond float's range saturates, an undefined one is 0.
float Layout(lua_Number v) {
  if (std::isnan(v)) return 0.0f;
  if (v > 3.0e38) return 3.0e38f;
  if (v < -3.0e38) return -3.0e38f;
  return static_cast<float>(v);
}

// A size in whole layout units; sizes beyond the picture slot's range give no size at all.
int32_t Size(lua_Number v) {
  if (!(v > -32768.0 && v < 32768.0)) return 0;
  return static_cast<int32_t>(v);
}

// ScSetSlideColor's colours: strtoul in base 0 (hexadecimal with 0x, octal with 0, decimal).
uint32_t ColourText(const std::string& text) { return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0)); }

// ---- Selections ----

int ScClearSelect(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (C_EventMain* events = Events()) window::ClearSelect(events->pendingChoices, events->drivenScene, Page(page));
  return ReturnZero(L);
}

int ScAddSelect(lua_State* L) {
  ScArgs args(L, "isss");
  args.integer(1);  // the page is read and not used
  size_t textLength = 0, fileLength = 0, labelLength = 0;
  const char* text = args.string(2, &textLength);
  const char* file = args.string(3, &fileLength);
  const char* label = args.string(4, &labelLength);
  if (C_EventMain* events = Events())
    window::AddSelect(events->pendingChoices, Cut(text, textLength), Cut(file, fileLength), Cut(label, labelLength));
  return ReturnZero(L);
}

int ScCommitSelect(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  C_EventMain* events = Events();
  if (events && events->drivenScene) window::CommitSelect(events->pendingChoices, *events->drivenScene, Page(page));
  return ReturnZero(L);
}

int ScSelectActive(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* scene = Scene()) window::SelectActive(*scene, Page(page));
  return ReturnZero(L);
}

int ScSelectNotActive(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer page = args.integer(1);
  if (scene::C_BaseScene* scene = Scene()) window::SelectNotActive(*scene, Page(page));
  return ReturnZero(L);
}

// ---- Buttons ----

// The call argument is read and not used: this function always sets a jump (the tag can choose
// a call).
int ScSetButtonEvent(lua_State* L) {
  ScArgs args(L, "sissi");
  size_t typeLength = 0, fileLength = 0, labelLength = 0;
  const char* type = args.string(1, &typeLength);
  const lua_Integer page = args.integer(2);
  const char* file = args.string(3, &fileLength);
  const char* label = args.string(4, &labelLength);
  args.integer(5);
  if (scene::C_BaseScene* scene = Scene())
    window::SetButtonEvent(*scene, Cut(type, typeLength), Page(page), Cut(file, fileLength), Cut(label, labelLength),
                           false);
  return ReturnZero(L);
}

// ---- Sliders ----

int ScSetSlideData(lua_State* L) {
  ScArgs args(L, "innnninniii");
  const lua_Integer page = args.integer(1);
  const lua_Number width = args.number(2), height = args.number(3), x = args.number(4), y = args.number(5);
  const lua_Integer vertical = args.integer(6);
  const lua_Number thumbWidth = args.number(7), thumbHeight = args.number(8);
  const lua_Integer min = args.integer(9), max = args.integer(10), init = args.integer(11);
  if (scene::C_BaseScene* scene = Scene())
    window::SetSlideData(*scene, Page(page), static_cast<float>(Size(width)), static_cast<float>(Size(height)),
                         Layout(x), Layout(y), vertical != 0, Layout(thumbWidth), Layout(thumbHeight), Page(min),
                         Page(max), Page(init));
  return 0;
}

int ScSetSlideColor(lua_State* L) {
  ScArgs args(L, "issss");
  const lua_Integer page = args.integer(1);
  size_t lengths[4] = {};
  const char* texts[4] = {};
  for (int i = 0; i < 4; ++i) texts[i] = args.string(2 + i, &lengths[i]);
  window::SlideColours colours{};
  uint32_t* fields[4] = {&colours.baseNorm, &colours.baseAct, &colours.switchNorm, &colours.switchAct};
  for (int i = 0; i < 4; ++i) *fields[i] = ColourText(std::string(Cut(texts[i], lengths[i])));
  if (scene::C_BaseScene* scene = Scene()) window::SetSlideColour(*scene, Page(page), colours);
  return 0;
}

// A widget's value written into the flag the script names: (page, flag).
template <void (*Operation)(FlagStore&, scene::C_BaseScene&, int32_t, std::string_view)>
int IntoFlag(lua_State* L) {
  ScArgs args(L, "is");
  const lua_Integer page = args.integer(1);
  size_t flagLength = 0;
  const char* flag = args.string(2, &flagLength);
  C_EventMain* events = Events();
  if (events && events->drivenScene) Operation(events->flags, *events->drivenScene, Page(page), Cut(flag, flagLength));
  return 0;
}

int ScSetSlideValue(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer page = args.integer(1);
  const lua_Integer value = args.integer(2);
  if (scene::C_BaseScene* scene = Scene()) window::SetSlideValue(*scene, Page(page), Page(value));
  return 0;
}

// ---- Check buttons ----

int ScSetCheckButtonChecked(lua_State* L) {
  ScArgs args(L, "is");
  const lua_Integer page = args.integer(1);
  size_t stateLength = 0;
  const char* state = args.string(2, &stateLength);
  if (scene::C_BaseScene* scene = Scene())
    window::SetCheckButtonChecked(*scene, Page(page), window::CheckedFromText(Cut(state, stateLength)));
  return 0;
}

}  // namespace

const ScFunction kWidgetFunctions[] = {
    {"ScClearSelect", ScClearSelect},
    {"ScAddSelect", ScAddSelect},
    {"ScCommitSelect", ScCommitSelect},
    {"ScSelectActive", ScSelectActive},
    {"ScSelectNotActive", ScSelectNotActive},
    {"ScSetButtonEvent", ScSetButtonEvent},
    {"ScSetSlideData", ScSetSlideData},
    {"ScSetSlideColor", ScSetSlideColor},
    {"ScGetSlideValue", IntoFlag<window::GetSlideValue>},
    {"ScSetSlideValue", ScSetSlideValue},
    {"ScSetCheckButtonChecked", ScSetCheckButtonChecked},
    {"ScGetCheckButtonChecked", IntoFlag<window::GetCheckButtonChecked>},
    {nullptr, nullptr},
};

}  // namespace script::bind
