// The event-script translator over any bytes (plain and with the stored layer undone), the tag
// tokenizer and attribute reader over every tag line, and the Lua compiler over every other
// line (compiled only: running arbitrary Lua is not the translator's business).
#include <string>
#include <vector>

#include <lua.hpp>

#include "FuzzSupport.h"
#include "archive/Scramble.h"
#include "engine/FlagStore.h"
#include "script/EventScriptTranslator.h"
#include "script/TagLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A fresh Lua state per input: one kept across inputs grows its string table, and the
  // fuzzer would take every input for a leak and scan the heap after it.
  lua_State* L = luaL_newstate();
  static script::FlagStore flags;
  std::vector<std::string> lines = script::TranslateEventSource(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> layered(data, data + size);
  archive::UndoEventScriptLayer("0first.evt", layered.data(), layered.size());
  const std::vector<std::string> undone =
      script::TranslateEventSource(reinterpret_cast<const char*>(layered.data()), layered.size());
  lines.insert(lines.end(), undone.begin(), undone.end());
  for (const std::string& line : lines) {
    if (line.starts_with("@[")) {
      const script::TagTokens tokens = script::TokenizeTagLine(line);
      for (size_t i = 1; i < tokens.size(); ++i) {
        const script::TagAttribute attribute = script::ReadTagAttribute(flags, tokens[i]);
        (void)script::TagInt(attribute.value);
        (void)script::TagColour(attribute.value);
      }
    } else if (!line.empty()) {
      if (luaL_loadstring(L, line.c_str()) == 0 || lua_gettop(L) > 0) lua_settop(L, 0);
    }
  }
  lua_close(L);
  fuzz::ForgetMessageBoxes();
  return 0;
}
