// The windows, widgets and history as a player and a script reach them: a script scene with a
// message window, the history, a selection window, buttons, a check button and a slider, then
// the input read as a list of actions (Sc calls with any arguments, window and widget tag lines
// with any attribute values, message pages of any bytes, frames with any mouse and keys). The
// device, the factories and the glyph rasteriser are made once; every input gets a fresh Lua
// host, event system and scene, so a finding replays from its input alone.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include <lua.hpp>

#include "FuzzSupport.h"
#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "engine/ScreenFade.h"
#include "gfx/Image.h"
#include "layer/C_BaseLayer.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "scene/C_SceneSandBox.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "text/GlyphRasterizer.h"

namespace {

// The scene every input starts from, its windows small so their text targets cost little; the
// last lines loop on a click wait so the script never ends under the actions. The history window
// (six text targets, most of an input's time) is left to the inputs that set it up.
constexpr const char* kFirstScript =
    "@[SetWindow type=\"MES\" page=\"0\" file=\"frame.png\" width=\"300\" height=\"60\" pos_x=\"0\" pos_y=\"250\"]\n"
    "@[SetTextArea type=\"MES\" page=\"0\" left=\"10\" top=\"10\" right=\"290\" bottom=\"50\"]\n"
    "@[SetFontSpeed type=\"MES\" page=\"0\" speed=\"0\"]\n"
    "@[SetWindow type=\"MES\" page=\"1\" file=\"frame.png\" width=\"200\" height=\"40\" pos_x=\"0\" pos_y=\"200\"]\n"
    "@[SetWindow type=\"SEL\" page=\"0\" file=\"win_h.png\" width=\"250\" height=\"80\" left=\"262\" top=\"380\"]\n"
    "@[SetTextArea type=\"SEL\" page=\"0\" left=\"30\" top=\"23\" right=\"240\" bottom=\"70\"]\n"
    "@[SetWindow type=\"BTN\" page=\"0\" file=\"winBtn00.png\" width=\"120\" height=\"40\" left=\"884\" top=\"12\"]\n"
    "@[SetWindow type=\"BTN\" page=\"1\" file=\"winBtn00.png\" width=\"120\" height=\"40\" left=\"884\" top=\"58\"]\n"
    "@[SetWindow type=\"CHECK\" page=\"0\" file=\"frame.png\" width=\"36\" height=\"36\" left=\"456\" top=\"332\"]\n"
    "@[SetWindow type=\"SLIDE\" page=\"0\" file=\"frame.png\" width=\"300\" height=\"20\" left=\"100\" top=\"600\"]\n"
    "@[OpenWindow type=\"BTN\" page=\"0\" time=\"0\"]\n"
    "ScSetButtonEvent('BTN', 0, '', 'lbl_wait', 0)\n"
    "ScSetTextWindow('MES', 0, 'first page')\n"
    "*lbl_wait\n"
    "@[WaitClick]\n"
    "@[Jump label=\"lbl_wait\"]\n";

constexpr std::array kFunctions = {
    "ScSetTextWindow",
    "ScSetWindow",
    "ScSetTextAreaWindow",
    "ScSetFontWindow",
    "ScSetFontSpeedWindow",
    "ScSetFontMargin",
    "ScOpenWindow",
    "ScCloseWindow",
    "ScShowWindow",
    "ScBindWindow",
    "ScWindowActive",
    "ScWindowNotActive",
    "ScOpenHistory",
    "ScCloseHistory",
    "ScClearSelect",
    "ScAddSelect",
    "ScCommitSelect",
    "ScSelectActive",
    "ScSelectNotActive",
    "ScSetButtonEvent",
    "ScSetSlideData",
    "ScSetSlideColor",
    "ScGetSlideValue",
    "ScSetSlideValue",
    "ScSetCheckButtonChecked",
    "ScGetCheckButtonChecked",
};
constexpr std::array kTags = {"SetWindow",   "SetTextArea", "SetFont",      "SetFontSpeed",    "OpenWindow",
                              "CloseWindow", "BindWindow",  "WindowActive", "WindowNotActive", "ExitConfirm",
                              "DispHelp",    "WaitClick",   "TextColor"};
constexpr std::array kAttributes = {"type", "page",  "file",     "width",       "height",      "left",
                                    "top",  "right", "bottom",   "pos_x",       "pos_y",       "time",
                                    "size", "speed", "fontname", "parent_type", "parent_page", "color"};
constexpr std::array kWords = {"MES",
                               "SEL",
                               "BTN",
                               "CHECK",
                               "SLIDE",
                               "HIST",
                               "PLN",
                               "D_BTN",
                               "frame.png",
                               "win_h.png",
                               "winBtn00.png",
                               "0first.evt",
                               "lbl_wait",
                               "<n>",
                               "<voice buf='10' file='v.wav'>",
                               "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e"};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
  int32_t word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | byte();
    return static_cast<int32_t>(v);
  }
  // Up to n raw bytes.
  std::string bytes(size_t n) {
    std::string s;
    for (size_t i = 0; i < n && !empty(); ++i) s += static_cast<char>(byte());
    return s;
  }
  // A known word or raw bytes, as the next byte picks.
  std::string text() {
    const uint8_t pick = byte();
    if (pick < 128) return kWords[pick % kWords.size()];
    return bytes(pick % 48);
  }
  // A small number most of the time, any 32-bit value otherwise.
  int32_t number() {
    const uint8_t pick = byte();
    if (pick < 200) return pick - 20;
    return word();
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

void WritePicture(const char* name, int32_t width, int32_t height, uint32_t argb) {
  gfx::Image image{width, height, std::vector<uint32_t>(size_t(width * height), argb)};
  std::vector<uint8_t> png;
  if (!gfx::encodePng(image, png)) std::abort();
  fuzz::WriteFile(name, png.data(), png.size());
}

// What outlives the inputs: the device and what draws with it.
struct World {
  World() {
    fuzz::EnterScratchFolder();
    engine::Engine& e = engine::context();
    e.platform = platform::current();
    e.screenWidth = 1024;
    e.screenHeight = 768;
    e.screenScale = 1.0f;
    e.windowed = true;
    const auto write = [](const char* name, const std::string& text) {
      fuzz::WriteFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    };
    write("lambart.fx", "// lambert\n");
    write("ShadowMap.fx", "// shadow map\n");
    write("eventProg.lua", "-- helpers\n");
    write("globalData.lua", "-- globals\n");
    write("scriptSettings.lua",
          "g_Scr_IsSkipMode = false\ng_Scr_IsSkipWaitTime = false\ng_Scr_IsAutoMode = false\n"
          "g_Scr_AutoModeTime_FAST = 1000\ng_Scr_AutoModeTime_MID = 2000\ng_Scr_AutoModeTime_SLOW = 3000\n"
          "g_Scr_IsAutoModeTimeType = 0\ng_Scr_SoundBufFirst = 10\ng_Scr_SoundBufEnd = 20\n"
          "g_CharaDiffPos = { 0, 0 }\n");
    write("0first.evt", kFirstScript);
    WritePicture("frame.png", 32, 32, 0xFFFFFFFFu);
    WritePicture("win_h.png", 63, 63, 0xFF2040FFu);
    WritePicture("winBtn00.png", 100, 30, 0xFF808080u);
    WritePicture("white.bmp", 32, 32, 0xFFFFFFFFu);
    for (const char* name : {"cur0.png", "cur1.png", "cur10.png", "cur11.png", "cur12.png"})
      WritePicture(name, 32, 32, 0xFFFF00FFu);
    if (!engine::CreateRenderDevice(layer::createDeviceResources)) std::abort();
    e.textureFact = new layer::C_TextureFact();
    e.spriteFact = new layer::C_SpriteFact();
    e.spriteFact->init();
    e.glyphRasterizer = text::GlyphRasterizer::create().release();
  }
};

// One input's Lua host, event system and scene, torn down in the engine's order.
struct Session {
  script::LuaHost host;
  std::unique_ptr<script::C_EventMain> events;
  std::unique_ptr<scene::C_SceneSandBox> scene;

  Session() {
    engine::Engine& e = engine::context();
    host.create();
    e.lua = &host;
    events = std::make_unique<script::C_EventMain>(host.scriptState);
    events->init();
    e.eventMain = events.get();
    scene = std::make_unique<scene::C_SceneSandBox>();
    scene->init();
  }
  ~Session() {
    scene->release();
    scene.reset();
    events.reset();
    engine::Engine& e = engine::context();
    e.eventMain = nullptr;
    host.close();
    e.lua = nullptr;
    e.fade = {};
  }

  void call(Input& in) {
    lua_State* L = host.scriptState;
    lua_getglobal(L, kFunctions[in.byte() % kFunctions.size()]);
    const int count = in.byte() % 8;
    for (int i = 0; i < count; ++i) {
      switch (in.byte() % 4) {
        case 0: lua_pushinteger(L, in.number()); break;
        case 1: lua_pushnumber(L, static_cast<lua_Number>(in.word()) / 256.0); break;
        case 2: lua_pushnil(L); break;
        default: {
          const std::string s = in.text();
          lua_pushlstring(L, s.data(), s.size());
        }
      }
    }
    if (lua_pcall(L, count, 0, 0) != 0) lua_pop(L, 1);
  }

  void tag(Input& in) {
    std::string line = std::string("@[") + kTags[in.byte() % kTags.size()];
    for (int i = 0, n = in.byte() % 6; i < n; ++i) {
      const uint8_t pick = in.byte();
      const std::string value = pick & 1 ? std::to_string(in.number()) : in.text();
      line += std::string(" ") + kAttributes[pick / 2 % kAttributes.size()] + "=\"" + value + "\"";
    }
    events->ExecuteTagLine(line + "]");
  }

  void frame(Input& in) {
    engine::Engine& e = engine::context();
    const int32_t delta = in.byte() % 64;
    e.frameDeltaMs = delta;
    e.frameNow += uint32_t(delta);
    e.totalMs += delta;
    e.mouse.previousCursorX = e.mouse.cursorX;
    e.mouse.previousCursorY = e.mouse.cursorY;
    e.mouse.cursorX = in.byte() * 1024 / 256;
    e.mouse.cursorY = in.byte() * 768 / 256;
    const uint8_t buttons = in.byte();
    e.mouse.mouseEvents = buttons & 0x3Bu;
    if (buttons & 0x40u) {
      e.mouse.mouseEvents |= engine::mouse::Wheel;
      e.mouse.wheelDelta = buttons & 0x80u ? 120 : -120;
    }
    e.mouse.leftHeld = (buttons & 0x04u) != 0;
    engine::PadRecord pad;
    scene->update(&pad);
    engine::StepScreenFade();
    e.mouse.mouseEvents = 0;
    e.mouse.wheelDelta = 0;
    scene->render();
  }

  void key(Input& in) {
    static constexpr std::array kKeys = {0x0D, 0x1B, 0x20, 0x11, 0x25, 0x26, 0x27, 0x28, 0x21, 0x22};
    const uint8_t pick = in.byte();
    static_cast<platform::HeadlessPlatform*>(platform::current())->setKey(kKeys[pick % kKeys.size()], pick & 0x80);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World world;
  Input in(data, size);
  {
    Session session;
    // A bounded number of actions, so one input cannot run for long.
    for (int action = 0; action < 64 && !in.empty(); ++action) {
      switch (in.byte() % 5) {
        case 0: session.call(in); break;
        case 1: session.tag(in); break;
        case 2: {
          const std::string page = in.bytes(in.byte());
          lua_State* L = session.host.scriptState;
          lua_getglobal(L, "ScSetTextWindow");
          lua_pushstring(L, "MES");
          lua_pushinteger(L, in.byte() % 2);
          lua_pushlstring(L, page.data(), page.size());
          if (lua_pcall(L, 3, 0, 0) != 0) lua_pop(L, 1);
          break;
        }
        case 3: session.frame(in); break;
        default: session.key(in); break;
      }
    }
  }
  for (int vk : {0x0D, 0x1B, 0x20, 0x11, 0x25, 0x26, 0x27, 0x28, 0x21, 0x22})
    static_cast<platform::HeadlessPlatform*>(platform::current())->setKey(vk, false);
  fuzz::ForgetMessageBoxes();
  return 0;
}
