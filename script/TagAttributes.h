// Walking a tag line's attributes: the helper every tag handler reads its attributes with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "script/C_EventMain.h"
#include "script/TagLine.h"

namespace script {

// Calls visit(key, value) for every attribute token with a non-empty value, in order (a key
// given twice: the later one wins).
template <typename Visit>
void ForEachAttribute(const C_EventMain& events, const TagTokens& tokens, Visit visit) {
  for (size_t i = 1; i < tokens.size(); ++i) {
    const TagAttribute attribute = events.ReadTagAttribute(tokens[i]);
    if (attribute.value.empty()) continue;
    visit(attribute.key, attribute.value);
  }
}

// The `type` and `page` a window or widget tag reads to address its window (the default type
// differs by tag set: "MES", "SEL", "BTN").
struct TagWindowAddress {
  std::string type;
  int32_t page = 0;
  explicit TagWindowAddress(const char* defaultType) : type(defaultType) {}
  bool read(const std::string& key, const std::string& value) {
    if (key == "type")
      type = value;
    else if (key == "page")
      page = TagInt(value);
    else
      return false;
    return true;
  }
};

}  // namespace script
