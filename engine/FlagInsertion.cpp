// Flag values inserted into message texts.
#include "engine/FlagInsertion.h"

#include <algorithm>

#include "engine/FlagStore.h"
#include "text/Cp932.h"

namespace script {

namespace {
constexpr size_t kFlagNameBytes = 255;
}

void CutCp932(std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return;
  size_t kept = 0;
  for (const text::Cp932Character& c : text::Cp932Characters(text)) {
    if (c.offset + c.length > maxBytes) break;
    kept = c.offset + c.length;
  }
  text.resize(kept);
}

std::string InsertFlagValues(std::string_view source, const FlagStore& flags, size_t maxBytes) {
  std::string text(source);
  CutCp932(text, maxBytes);
  // Full-width values hold no "<%" of their own, but a value with stray lead bytes can leave a "<"
  // or "%" behind that meets the text around it; the passes are bounded so such a value cannot
  // keep the replacement going.
  for (size_t pass = 0; pass <= maxBytes; ++pass) {
    const size_t open = text.find("<%");
    if (open == std::string::npos) break;
    const size_t close = text.find('>', open + 2);
    if (close == std::string::npos) break;
    const char format = close > open + 2 ? text[open + 2] : '\0';
    const size_t nameAt = std::min(open + 3, close);
    const std::string name = text.substr(nameAt, std::min(close - nameAt, kFlagNameBytes));
    std::string value = flags.stringView(name);
    if (format == 'd') {
      const size_t dot = value.find('.');
      if (dot != std::string::npos) value.resize(dot);
    }
    text.replace(open, close + 1 - open, text::toFullWidth(value));
    CutCp932(text, maxBytes);
  }
  return text;
}

}  // namespace script
