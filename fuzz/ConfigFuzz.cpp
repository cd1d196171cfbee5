// The configuration readers: globalData.lua and scriptSettings.lua made from the input, every
// key given a value of any type (numbers from any digits, strings of any bytes, booleans, nil,
// tables). Values are literals only, so no input can call a function or loop.
#include <string>

#include "FuzzSupport.h"
#include "app/Config.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool empty() const { return p_ == end_; }
  uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
  // Up to n bytes, kept to the characters of a number literal.
  std::string numberText(size_t n) {
    static const char kDigits[] = "0123456789.eE+-x";
    std::string s;
    for (size_t i = 0; i < n && !empty(); ++i) s += kDigits[byte() % (sizeof kDigits - 1)];
    return s.empty() ? "0" : s;
  }
  // A Lua literal of the type the next byte picks.
  std::string literal(int depth = 0) {
    const uint8_t kind = byte();
    switch (kind % 7) {
      case 0: return numberText(kind / 7 % 24 + 1);
      case 1: return "-" + numberText(kind / 7 % 24 + 1);
      case 2: {
        std::string s = "\"";
        for (size_t i = 0, n = byte() % 16; i < n; ++i) s += "\\" + std::to_string(byte());
        return s + "\"";
      }
      case 3: return kind & 8 ? "true" : "false";
      case 4: return "nil";
      case 5: {
        if (depth > 2) return "{}";
        std::string s = "{";
        for (size_t i = 0, n = byte() % 40; i < n && !empty(); ++i) s += literal(depth + 1) + ",";
        return s + "}";
      }
      default: return std::to_string(static_cast<int64_t>(byte()) << (byte() % 64 / 2) | byte());
    }
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

std::string Assignments(Input& in, std::initializer_list<const char*> keys) {
  std::string text;
  for (const char* key : keys) {
    if (in.byte() % 8 == 0) continue;  // missing
    text += std::string(key) + " = " + in.literal() + "\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnterScratchFolder();
  Input in(data, size);
  const std::string global =
      Assignments(in, {"g_Lua_ScreenWidth", "g_Lua_ScreenHeight", "g_Lua_Aspect", "g_Lua_FrameRate", "g_Lua_UseSolid",
                       "g_Lua_EnableAlwaysMostTop", "g_Lua_EnableWhenNotActive"});
  const std::string settings =
      Assignments(in, {"g_Scr_IsSkipMode", "g_Scr_IsSkipWaitTime", "g_Scr_IsAutoMode", "g_Scr_AutoModeTime_FAST",
                       "g_Scr_AutoModeTime_MID", "g_Scr_AutoModeTime_SLOW", "g_Scr_IsAutoModeTimeType",
                       "g_Scr_SoundBufFirst", "g_Scr_SoundBufEnd", "g_CharaDiffPos"});
  fuzz::WriteFile("globalData.lua", reinterpret_cast<const uint8_t*>(global.data()), global.size());
  fuzz::WriteFile("scriptSettings.lua", reinterpret_cast<const uint8_t*>(settings.data()), settings.size());
  app::ReadGlobalData();
  // Only the scene's seven settings are written, and every input writes all of them; one scene
  // for all inputs spares building its windows and layers each time.
  static scene::C_BaseScene scene;
  scene::ReadScriptSettings(scene);
  fuzz::ForgetMessageBoxes();
  return 0;
}
