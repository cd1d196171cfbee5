// The one list of tag registration functions.
#include "script/TagTable.h"

#include <cctype>

namespace script {

namespace {

// In the order of the tag set: program and flow, backgrounds and plain characters, windows,
// selections and widgets, solid characters, solid event pictures, sound. Each later subsystem
// adds its line here.
constexpr void (*kTagRegistrars[])(TagTable&) = {
    RegisterFlowTags,
    RegisterPictureTags,
    RegisterWindowTags,
    RegisterSolidTags,
    RegisterSolidEventTags,
    RegisterWidgetTags,
    RegisterSoundTags,
    // Replaces the placeholders of the flow tags.
    RegisterDialogTags,
};

}  // namespace

void BuildTagTable(TagTable& table) {
  for (auto registrar : kTagRegistrars) registrar(table);
}

char AttributeKindOf(const TagEntry& tag, std::string_view key) {
  if (!tag.attributes) return static_cast<char>(AttributeKind::Text);
  std::string_view rest = tag.attributes;
  while (!rest.empty()) {
    const size_t space = rest.find(' ');
    const std::string_view item = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    const size_t colon = item.find(':');
    if (colon != std::string_view::npos && item.substr(0, colon) == key && colon + 1 < item.size())
      return item[colon + 1];
  }
  return 0;
}

bool AttributeValueConverts(char kind, std::string_view value) {
  if (value.empty() || value[0] == '&' || value[0] == '$') return true;
  size_t i = 0;
  const auto digits = [&](bool hex) {
    const size_t start = i;
    while (i < value.size() && (std::isdigit(static_cast<unsigned char>(value[i])) ||
                                (hex && std::isxdigit(static_cast<unsigned char>(value[i])))))
      ++i;
    return i - start;
  };
  switch (static_cast<AttributeKind>(kind)) {
    case AttributeKind::Integer:
      if (value[i] == '-' || value[i] == '+') ++i;
      return digits(false) > 0 && i == value.size();
    case AttributeKind::Real: {
      if (value[i] == '-' || value[i] == '+') ++i;
      size_t n = digits(false);
      if (i < value.size() && value[i] == '.') {
        ++i;
        n += digits(false);
      }
      return n > 0 && i == value.size();
    }
    case AttributeKind::Colour:
      if (value.substr(0, 2) == "0x" || value.substr(0, 2) == "0X") i = 2;
      return digits(true) > 0 && i == value.size();
    case AttributeKind::Bool: return value == "true" || value == "TRUE" || value == "false" || value == "FALSE";
    case AttributeKind::Text:
    default: return true;
  }
}

}  // namespace script
