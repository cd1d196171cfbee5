// kmtool new DIR: a small playable game of UTF-8 sources, every file the engine needs, with
// simple pictures drawn here: a background, a character, the window frame, the click-wait
// cursor chips and the fade overlay.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tools/kmtool/Commands.h"
#include "tools/kmtool/PngWriter.h"

namespace fs = std::filesystem;

namespace kmtool {

namespace {

const char kGlobalData[] =
    "-- Screen, frame rate and window behaviour (all seven keys are required).\n"
    "g_Lua_ScreenWidth = 1024\n"
    "g_Lua_ScreenHeight = 768\n"
    "g_Lua_Aspect = 1.3333\n"
    "g_Lua_FrameRate = 60\n"
    "g_Lua_UseSolid = 1\n"
    "g_Lua_EnableAlwaysMostTop = 0\n"
    "g_Lua_EnableWhenNotActive = 1\n";

const char kScriptSettings[] =
    "-- Skip and auto modes, voice buffers and expression offsets (all keys are required).\n"
    "g_Scr_IsSkipMode = false\n"
    "g_Scr_IsSkipWaitTime = false\n"
    "g_Scr_IsAutoMode = false\n"
    "g_Scr_AutoModeTime_FAST = 1000\n"
    "g_Scr_AutoModeTime_MID = 2000\n"
    "g_Scr_AutoModeTime_SLOW = 3000\n"
    "g_Scr_IsAutoModeTimeType = 1\n"
    "g_Scr_SoundBufFirst = 10\n"
    "g_Scr_SoundBufEnd = 20\n"
    "g_CharaDiffPos = { 0, 0 }\n";

const char kEventProg[] =
    "-- Lua helpers every event script can call (run before each script starts).\n"
    "function Note(text) print(text) end\n";

const char kEffect[] = "// Effect of the 3D scene (kept as bytes; the 2D scenes do not use it).\n";

const char kFirstScript[] =
    "; The first script: the engine starts here. Lines starting with ';' are comments.\n"
    "@[SimpleBG file=\"bg.png\" time=\"0\"]\n"
    "; The message window (page 0) and the name window (page 1).\n"
    "@[SetWindow type=\"MES\" page=\"0\" file=\"window.png\" width=\"880\" height=\"180\" left=\"72\" top=\"570\"]\n"
    "@[SetTextArea type=\"MES\" page=\"0\" left=\"44\" top=\"26\" right=\"836\" bottom=\"166\"]\n"
    "@[SetFont type=\"MES\" page=\"0\" size=\"26\"]\n"
    "@[SetFontSpeed type=\"MES\" page=\"0\" speed=\"0.04\"]\n"
    "@[SetWindow type=\"MES\" page=\"1\" file=\"window.png\" width=\"220\" height=\"50\" left=\"86\" top=\"514\"]\n"
    "@[SetTextArea type=\"MES\" page=\"1\" left=\"18\" top=\"10\" right=\"210\" bottom=\"46\"]\n"
    "@[SetFont type=\"MES\" page=\"1\" size=\"24\"]\n"
    "@[SetFontSpeed type=\"MES\" page=\"1\" speed=\"0\"]\n"
    "@[DrawWindow type=\"MES\" page=\"1\"]\n"
    "@[DrawWindow type=\"MES\" page=\"0\"]\n"
    "; Names go to the window numbered by the flag T_NameWinNo.\n"
    "ScSetTempFlag(\"T_NameWinNo\", 1)\n"
    "ScSetEventFlag(\"E_count\", 3)\n"
    "@[AllFadeIn color=\"FF000000\" time=\"800\"]\n"
    "@[WaitChara]\n"
    "@[OpenWindow type=\"MES\" page=\"0\" time=\"300\"]\n"
    "　ここから物語が始まります。\n"
    "　クリックで次のページへ進みます。\n"
    "@[PageBreak]\n"
    "@[SimplePlainChara page=\"0\" file=\"chara.png\" pos_x=\"0\" pos_y=\"40\" time=\"400\"]\n"
    "@[OpenWindow type=\"MES\" page=\"1\" time=\"200\"]\n"
    "@[DrawName name=\"案内人\"]\n"
    "「はじめまして。<%dE_count>ページの小さなゲームです」\n"
    "@[PageBreak]\n"
    "@[Call label=\"farewell\"]\n"
    "@[AllFadeOut color=\"FF000000\" time=\"800\"]\n"
    "@[WaitChara]\n"
    "@[Stop]\n"
    "\n"
    "; A label: 'function NAME()' marks the line *NAME that Jump and Call go to.\n"
    "function farewell()\n"
    "@[DrawName name=\"案内人\"]\n"
    "「またお会いしましょう」\n"
    "@[PageBreak]\n"
    "@[Return]\n";

struct Rgba {
  float r, g, b, a;
};

// A picture drawn pixel by pixel.
std::vector<uint8_t> Draw(int width, int height, const std::function<Rgba(float x, float y)>& paint) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgba c = paint(float(x) + 0.5f, float(y) + 0.5f);
      uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      const float channels[4] = {c.r, c.g, c.b, c.a};
      for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(std::clamp(channels[k], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
  }
  return rgba;
}

// A 1 x 1 white 24-bit BMP: the fade overlay.
std::string WhiteBmp() {
  const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,  0,   0,   0, 1, 0,
                                 0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,   0,   0,   0, 0, 0,
                                 0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 255, 255, 255, 0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

bool WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "kmtool new: %s: cannot write\n", path.string().c_str());
  return static_cast<bool>(out);
}

bool WritePicture(const fs::path& path, int width, int height, const std::function<Rgba(float, float)>& paint) {
  if (WritePng(path.string(), Draw(width, height, paint), width, height)) return true;
  std::fprintf(stderr, "kmtool new: %s: cannot write\n", path.string().c_str());
  return false;
}

}  // namespace

int RunNew(const Arguments& args) {
  if (args.size() != 1) return BadUsage("new", args.empty() ? "DIR is missing" : "one DIR only");
  if (args[0].size() > 1 && args[0][0] == '-') return BadUsage("new", "unknown option '" + args[0] + "'");
  const fs::path dir(args[0]);
  std::error_code error;
  if (fs::exists(dir, error) && !fs::is_empty(dir, error)) {
    std::fprintf(stderr, "kmtool new: %s: the folder is not empty; choose a new one\n", args[0].c_str());
    return kExitFailure;
  }
  fs::create_directories(dir, error);
  if (error) {
    std::fprintf(stderr, "kmtool new: %s: %s\n", args[0].c_str(), error.message().c_str());
    return kExitFailure;
  }
  bool ok = WriteText(dir / "globalData.lua", kGlobalData) && WriteText(dir / "scriptSettings.lua", kScriptSettings) &&
            WriteText(dir / "eventProg.lua", kEventProg) && WriteText(dir / "0first.evt", kFirstScript) &&
            WriteText(dir / "lambart.fx", kEffect) && WriteText(dir / "ShadowMap.fx", kEffect) &&
            WriteText(dir / "white.bmp", WhiteBmp());
  // The background: an evening sky over a dark sea.
  ok = ok && WritePicture(dir / "bg.png", 1024, 768, [](float, float y) {
         const float t = y / 768.0f;
         return y < 500 ? Rgba{0.25f + 0.5f * t, 0.3f + 0.2f * t, 0.55f - 0.1f * t, 1} : Rgba{0.1f, 0.15f, 0.3f, 1};
       });
  // The character: a rounded figure on a transparent ground.
  ok = ok && WritePicture(dir / "chara.png", 256, 512, [](float x, float y) {
         const float head = std::hypot(x - 128, y - 110) < 70 ? 1.0f : 0.0f;
         const float body = (y > 170 && std::fabs(x - 128) < 40 + (y - 170) * 0.25f) ? 1.0f : 0.0f;
         if (head > 0) return Rgba{0.98f, 0.85f, 0.72f, 1};
         if (body > 0) return Rgba{0.35f, 0.45f, 0.75f, 1};
         return Rgba{0, 0, 0, 0};
       });
  // The window frame: its outer 8 texels are the rim, the middle is stretched over the window
  // (the window's colours tint it); a dark middle keeps white text readable.
  ok = ok && WritePicture(dir / "window.png", 63, 63, [](float x, float y) {
         const int d = int(std::min({x, y, 63.0f - x, 63.0f - y}));
         if (d < 2) return Rgba{0.9f, 0.9f, 1, 0.9f};
         return Rgba{0.08f, 0.1f, 0.22f, d < 8 ? 0.85f : 0.75f};
       });
  // The click-wait cursor chips: two faces of a turning coin and three pulses.
  for (const char* name : {"cur0.png", "cur1.png", "cur10.png", "cur11.png", "cur12.png"}) {
    const float radius = name[4] == '.' ? 12.0f : 6.0f + 3.0f * float(name[4] - '0');
    ok = ok && WritePicture(dir / name, 32, 32, [radius](float x, float y) {
           return std::hypot(x - 16, y - 16) < radius ? Rgba{1, 0.85f, 0.35f, 1} : Rgba{0, 0, 0, 0};
         });
  }
  if (!ok) return kExitFailure;
  std::printf(
      "A new game in %s. Try it:\n"
      "  kmtool play --game %s --utf8-evt --frames 300 --shot 200:first.png\n"
      "  kmtool lint %s\n"
      "  kmtool pack game.pkg -C %s --utf8-evt\n",
      args[0].c_str(), args[0].c_str(), args[0].c_str(), args[0].c_str());
  return kExitOk;
}

}  // namespace kmtool
