// kmtool play: the whole engine on the headless platform with a virtual clock and scripted input.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/StartUp.h"
#include "archive/ArchiveSet.h"
#include "audio/Device.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "platform/headless/HeadlessPlatform.h"
#include "tools/kmtool/Commands.h"
#include "tools/kmtool/PngWriter.h"

namespace kmtool {

namespace {

struct InputEvent {
  uint32_t frame = 0;
  std::string verb;
  std::vector<std::string> args;
};

struct PlayOptions {
  std::string gameDir;
  uint32_t frames = 600;
  std::string inputFile;
  bool lowSpec = false;
  bool fullScreen = false;
  bool debugOutput = false;
  bool realtime = false;
  std::map<uint32_t, std::vector<std::string>> shots;  // frame -> PNG paths
  std::string audioOut;
  bool utf8Sources = false;  // --utf8-evt
  bool quiet = false;        // --quiet
};

const std::map<std::string, int>& keyNames() {
  static const std::map<std::string, int> names = {
      {"ctrl", platform::vk::Control},
      {"space", platform::vk::Space},
      {"escape", platform::vk::Escape},
      {"up", platform::vk::Up},
      {"down", platform::vk::Down},
      {"left", platform::vk::Left},
      {"right", platform::vk::Right},
      {"z", 'Z'},
      {"x", 'X'},
      {"c", 'C'},
      {"q", 'Q'},
      {"w", 'W'},
      {"numpad2", platform::vk::Numpad2},
      {"numpad4", platform::vk::Numpad4},
      {"numpad6", platform::vk::Numpad6},
      {"numpad8", platform::vk::Numpad8},
  };
  return names;
}

bool parseNumber(const std::string& text, long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtol(text.c_str(), &end, 10);
  return end && *end == '\0';
}

int keyCode(const std::string& name) {
  auto it = keyNames().find(name);
  if (it != keyNames().end()) return it->second;
  long code;
  if (parseNumber(name, code) && code > 0 && code < platform::vk::Count) return static_cast<int>(code);
  return -1;
}

// Checks one event's verb and arguments; a message on stderr when it is not understood.
bool validEvent(const InputEvent& ev, int line) {
  auto fail = [&](const char* why) {
    std::fprintf(stderr, "kmtool play: input line %d: %s\n", line, why);
    return false;
  };
  long n;
  const auto& a = ev.args;
  if (ev.verb == "mouse") {
    if (a.size() != 2 || !parseNumber(a[0], n) || !parseNumber(a[1], n)) return fail("mouse needs X Y");
  } else if (ev.verb == "ldown" || ev.verb == "lup" || ev.verb == "rdown" || ev.verb == "rup" || ev.verb == "mdown" ||
             ev.verb == "mup" || ev.verb == "click" || ev.verb == "close" || ev.verb == "devicelost") {
    if (!a.empty()) return fail("this verb takes no arguments");
  } else if (ev.verb == "wheel") {
    if (a.size() > 1 || (a.size() == 1 && a[0] != "up" && a[0] != "down")) return fail("wheel takes up or down");
  } else if (ev.verb == "key") {
    if (a.size() != 2 || keyCode(a[0]) < 0 || (a[1] != "down" && a[1] != "up")) return fail("key needs NAME down|up");
  } else if (ev.verb == "active") {
    if (a.size() != 1 || (a[0] != "0" && a[0] != "1")) return fail("active needs 0 or 1");
  } else {
    return fail("unknown verb");
  }
  return true;
}

bool readInputFile(const std::string& path, std::vector<InputEvent>& events) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "kmtool play: cannot read input file %s\n", path.c_str());
    return false;
  }
  std::string text;
  int lineNo = 0;
  while (std::getline(in, text)) {
    ++lineNo;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::istringstream words(text);
    std::string first;
    if (!(words >> first) || first[0] == '#') continue;
    InputEvent ev;
    long frame;
    if (!parseNumber(first, frame) || frame < 1) {
      std::fprintf(stderr, "kmtool play: input line %d: the frame number must be 1 or more\n", lineNo);
      return false;
    }
    ev.frame = static_cast<uint32_t>(frame);
    if (!(words >> ev.verb)) {
      std::fprintf(stderr, "kmtool play: input line %d: missing verb\n", lineNo);
      return false;
    }
    for (std::string w; words >> w;) ev.args.push_back(w);
    if (!validEvent(ev, lineNo)) return false;
    events.push_back(ev);
  }
  // Lines need not come in frame order: each is applied in its frame, and the lines of one
  // frame in file order.
  std::stable_sort(events.begin(), events.end(),
                   [](const InputEvent& a, const InputEvent& b) { return a.frame < b.frame; });
  return true;
}

void applyEvent(platform::HeadlessPlatform& p, const InputEvent& ev, std::vector<platform::Message>& nextFrame) {
  namespace msg = platform::msg;
  auto post = [&](uint32_t id, uint32_t wParam = 0) { p.postMessage({id, wParam}); };
  if (ev.verb == "mouse") {
    p.setMouse(std::atoi(ev.args[0].c_str()), std::atoi(ev.args[1].c_str()));
  } else if (ev.verb == "ldown") {
    post(msg::LButtonDown);
  } else if (ev.verb == "lup") {
    post(msg::LButtonUp);
  } else if (ev.verb == "rdown") {
    post(msg::RButtonDown);
  } else if (ev.verb == "rup") {
    post(msg::RButtonUp);
  } else if (ev.verb == "mdown") {
    post(msg::MButtonDown);
  } else if (ev.verb == "mup") {
    post(msg::MButtonUp);
  } else if (ev.verb == "wheel") {
    // One notch; up (away from the player) unless "down" is given.
    const bool down = !ev.args.empty() && ev.args[0] == "down";
    post(msg::MouseWheel, static_cast<uint32_t>(down ? -120 : 120));
  } else if (ev.verb == "click") {
    post(msg::LButtonDown);
    nextFrame.push_back({msg::LButtonUp, 0});
  } else if (ev.verb == "key") {
    const int code = keyCode(ev.args[0]);
    const bool down = ev.args[1] == "down";
    p.setKey(code, down);
    if (down && code == platform::vk::Escape) post(msg::KeyDown, static_cast<uint32_t>(code));
  } else if (ev.verb == "close") {
    post(msg::Close);
  } else if (ev.verb == "active") {
    p.setActive(ev.args[0] == "1");
  } else if (ev.verb == "devicelost") {
    engine::SimulateDeviceLoss();
  }
}

int usage(const std::string& why) { return BadUsage("play", why); }

// A path named in an option, made absolute against the current directory: the run itself
// happens in the game folder.
std::string FromCurrentDirectory(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  return platform::currentDirectory() + "/" + path;
}

// The options; on a bad one, why it is bad.
bool parseOptions(const std::vector<std::string>& args, PlayOptions& o, std::string& why) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        why = a + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    long n;
    if (a == "--game") {
      if (!value(o.gameDir)) return false;
    } else if (a == "--frames") {
      if (!value(v)) return false;
      if (!parseNumber(v, n) || n < 0 || n > INT32_MAX) {
        why = "--frames: '" + v + "' is not a number of frames (0 or more)";
        return false;
      }
      o.frames = static_cast<uint32_t>(n);
    } else if (a == "--input") {
      if (!value(o.inputFile)) return false;
      o.inputFile = FromCurrentDirectory(o.inputFile);
    } else if (a == "--low-spec") {
      o.lowSpec = true;
    } else if (a == "--fullscreen") {
      o.fullScreen = true;
    } else if (a == "--debug-output") {
      o.debugOutput = true;
    } else if (a == "--realtime") {
      o.realtime = true;
    } else if (a == "--utf8-evt") {
      o.utf8Sources = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--shot") {
      if (!value(v)) return false;
      const size_t colon = v.find(':');
      if (colon == std::string::npos || !parseNumber(v.substr(0, colon), n) || n < 1 || n > INT32_MAX ||
          colon + 1 >= v.size()) {
        why = "--shot: '" + v + "' is not FRAME:FILE.png (frames count from 1)";
        return false;
      }
      o.shots[static_cast<uint32_t>(n)].push_back(FromCurrentDirectory(v.substr(colon + 1)));
    } else if (a == "--audio-out") {
      if (!value(o.audioOut)) return false;
      o.audioOut = FromCurrentDirectory(o.audioOut);
    } else {
      why = "unknown option '" + a + "'";
      return false;
    }
  }
  return true;
}

bool HasTextExtension(std::string_view name) {
  const auto ends = [&](std::string_view ext) {
    if (name.size() < ext.size()) return false;
    for (size_t i = 0; i < ext.size(); ++i) {
      char c = name[name.size() - ext.size() + i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != ext[i]) return false;
    }
    return true;
  };
  return ends(".evt") || ends(".lua");
}

}  // namespace

int RunPlay(const Arguments& args) {
  PlayOptions o;
  std::string why;
  if (!parseOptions(args, o, why)) return usage(why);
  std::vector<InputEvent> events;
  if (!o.inputFile.empty() && !readInputFile(o.inputFile, events)) return kExitBadOptions;
  if (!o.gameDir.empty() && chdir(o.gameDir.c_str()) != 0) {
    std::fprintf(stderr, "kmtool play: cannot enter %s\n", o.gameDir.c_str());
    return kExitBadOptions;
  }

  platform::HeadlessOptions ho;
  ho.realtimeClock = o.realtime;
  ho.lowSpecAnswer = o.lowSpec;
  ho.fullScreenAnswer = o.fullScreen;
  platform::HeadlessPlatform headless(ho);

  if (o.utf8Sources) {
    // Loose .evt and .lua files are UTF-8: read as pack --utf8-evt would store them.
    archive::SetLooseFileFilter([](std::string_view name, std::vector<uint8_t>& bytes) {
      if (!HasTextExtension(name)) return;
      std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
      const std::string converted = platform::utf8ToCp932(text);
      bytes.assign(converted.begin(), converted.end());
    });
  }
  if (!o.quiet) {
    platform::setWarningSink(
        [](std::string_view text) { std::fprintf(stderr, "[warning] %s\n", platform::cp932ToUtf8(text).c_str()); });
  }

  if (o.debugOutput) {
    platform::setDebugSink([](std::string_view text) {
      std::string line = platform::cp932ToUtf8(text);
      if (!line.empty() && line.back() == '\n') line.pop_back();
      std::fprintf(stderr, "[debug] %s\n", line.c_str());
    });
  }

  // Events are applied at the start of their frame, in file order; a click's release and the
  // stop after the last frame come from the same hook.
  size_t nextEvent = 0;
  std::vector<platform::Message> carried;
  const uint32_t lastFrame = o.frames;
  headless.setFrameHook([&](uint32_t frame) {
    if (frame > lastFrame) {
      headless.postMessage({platform::msg::Quit, 0});
      return;
    }
    std::vector<platform::Message> nextFrame;
    for (const platform::Message& m : carried) headless.postMessage(m);
    carried.clear();
    while (nextEvent < events.size() && events[nextEvent].frame <= frame) {
      if (events[nextEvent].frame == frame) applyEvent(headless, events[nextEvent], nextFrame);
      ++nextEvent;
    }
    carried = std::move(nextFrame);
  });

  // A file named in the options that cannot be written fails the run: its exit code says so
  // instead of ending as if all went well.
  bool outputFailed = false;
  std::map<uint32_t, std::vector<std::string>> shotsPending = o.shots;
  app::RunOptions run;
  run.lockFilePath = platform::headlessLockPath(platform::currentDirectory());
  run.onDeviceCreated = [&]() {
    if (!o.audioOut.empty() && !engine::context().audioDevice->captureTo(o.audioOut)) {
      std::fprintf(stderr, "kmtool play: cannot write %s\n", o.audioOut.c_str());
      outputFailed = true;
      return false;
    }
    if (!o.shots.empty()) {
      // The back buffer as the scene drew it, before Present.
      engine::SetBeforePresentHook([&]() {
        auto it = shotsPending.find(engine::context().frameCounter);
        if (it == shotsPending.end()) return;
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        const bool read = engine::ReadBackBuffer(rgba, width, height);
        for (const std::string& path : it->second) {
          if (!read || !kmtool::WritePng(path, rgba, width, height)) {
            std::fprintf(stderr, "kmtool play: cannot write %s\n", path.c_str());
            outputFailed = true;
          }
        }
        shotsPending.erase(it);
      });
    }
    return true;
  };
  const int status = app::RunGame(headless, run);
  if (status == app::kStartUpFailed) {
    if (outputFailed) return kExitFailure;  // the output's own message said why
    std::fprintf(stderr, "kmtool play: the game failed to start\n");
    return kExitFailure;
  }
  // Screenshots of frames the run never reached (it quit earlier) were not written.
  for (const auto& [frame, paths] : shotsPending) {
    for (const std::string& path : paths) {
      std::fprintf(stderr, "kmtool play: %s not written: the run ended before frame %u\n", path.c_str(), frame);
      outputFailed = true;
    }
  }
  return outputFailed ? kExitFailure : status;
}

}  // namespace kmtool
