#include "script/ScriptPictures.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

#include "script/EventScriptTranslator.h"

namespace script {

namespace {

bool NamesPicture(std::string_view name) {
  static constexpr std::string_view kExtensions[] = {".png", ".jpg", ".jpeg", ".bmp", ".tga"};
  for (std::string_view ext : kExtensions) {
    if (name.size() <= ext.size()) continue;
    const std::string_view tail = name.substr(name.size() - ext.size());
    if (std::equal(tail.begin(), tail.end(), ext.begin(),
                   [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }))
      return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> PicturesNamedIn(const std::vector<std::string>& lines) {
  std::vector<std::string> names;
  for (const std::string& line : lines) {
    size_t at = 0;
    while (at < line.size()) {
      const size_t open = line.find_first_of("\"'", at);
      if (open == std::string::npos) break;
      const size_t close = line.find(line[open], open + 1);
      if (close == std::string::npos) break;
      const std::string_view quoted(line.data() + open + 1, close - open - 1);
      if (NamesPicture(quoted) && std::find(names.begin(), names.end(), quoted) == names.end())
        names.emplace_back(quoted);
      at = close + 1;
    }
  }
  return names;
}

std::vector<std::string> PicturesNamedInScript(const std::string& fileName) {
  std::vector<uint8_t> bytes;
  if (ReadEventScriptBytes(fileName, fileName, bytes) != ScriptRead::Read) return {};
  return PicturesNamedIn(TranslateEventSource(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace script
