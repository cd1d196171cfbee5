// The tag table: tag name -> handler, filled once when the event system is created. Each
// subsystem contributes its tags through one registration function listed in TagTable.cpp
// (explicit calls: registration by static initialisers would be dropped from the library).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "script/TagLine.h"

namespace script {

class C_EventMain;

// A handler reads its attributes from tokens 1..n with ReadTagAttribute, performs its operation
// once and returns true.
using TagHandler = bool (*)(C_EventMain& events, const TagTokens& tokens);

// The kinds of attribute value, as the handlers convert them.
enum class AttributeKind : char {
  Integer = 'i',  // TagInt
  Real = 'r',     // TagReal
  Colour = 'c',   // TagColour (hexadecimal)
  Bool = 'b',     // TagBool ("true")
  Text = 's',     // taken as written (names, files, labels, expressions)
};

struct TagEntry {
  TagHandler handler = nullptr;
  // The attributes the handler reads, "name:kind" separated by spaces (kind: a letter of
  // AttributeKind); nullptr when the tag's attributes are not declared.
  const char* attributes = nullptr;
};

class TagTable {
 public:
  // A later registration of the same name replaces the earlier one.
  void add(std::string_view name, TagHandler handler, const char* attributes = nullptr) {
    handlers_[std::string(name)] = TagEntry{handler, attributes};
  }
  // Exact, case-sensitive; nullptr when the name is not a tag.
  TagHandler find(std::string_view name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : it->second.handler;
  }
  const TagEntry* entry(std::string_view name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
  }
  size_t size() const { return handlers_.size(); }
  const std::map<std::string, TagEntry, std::less<>>& entries() const { return handlers_; }

 private:
  std::map<std::string, TagEntry, std::less<>> handlers_;
};

// The kind of attribute `key` in a declaration (TagEntry::attributes); 0 when the tag declares
// no such attribute. A tag whose attributes are not declared accepts every key as Text.
char AttributeKindOf(const TagEntry& tag, std::string_view key);
// Whether a value converts as its kind says (a flag reference "&name" / "$name" always does).
bool AttributeValueConverts(char kind, std::string_view value);

// Registration functions, one per subsystem's tag file.
void RegisterFlowTags(TagTable& table);        // script/FlowTags.cpp: program and flow tags
void RegisterPictureTags(TagTable& table);     // script/PictureTags.cpp: backgrounds, plain characters
void RegisterWindowTags(TagTable& table);      // script/WindowTags.cpp: window tags
void RegisterWidgetTags(TagTable& table);      // script/WidgetTags.cpp: selection and widget tags
void RegisterSoundTags(TagTable& table);       // script/SoundTags.cpp: sound tags
void RegisterSolidTags(TagTable& table);       // script/SolidTags.cpp: solid character tags
void RegisterSolidEventTags(TagTable& table);  // script/SolidEventTags.cpp: solid event picture tags
void RegisterDialogTags(TagTable& table);      // script/DialogTags.cpp: ExitConfirm and DispHelp

// Fills the table from every registration function, in the order of the tag set.
void BuildTagTable(TagTable& table);

}  // namespace script
