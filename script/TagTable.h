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

class TagTable {
 public:
  // A later registration of the same name replaces the earlier one.
  void add(std::string_view name, TagHandler handler) { handlers_[std::string(name)] = handler; }
  // Exact, case-sensitive; nullptr when the name is not a tag.
  TagHandler find(std::string_view name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : it->second;
  }
  size_t size() const { return handlers_.size(); }

 private:
  std::map<std::string, TagHandler, std::less<>> handlers_;
};

// Registration functions, one per subsystem's tag file.
void RegisterFlowTags(TagTable& table);  // script/FlowTags.cpp: program and flow tags
void RegisterPictureTags(TagTable& table);  // script/PictureTags.cpp: backgrounds, plain characters
void RegisterWindowTags(TagTable& table);  // script/WindowTags.cpp: window tags
void RegisterWidgetTags(TagTable& table);  // script/WidgetTags.cpp: selection and widget tags
void RegisterSoundTags(TagTable& table);  // script/SoundTags.cpp: sound tags

// Fills the table from every registration function, in the order of the tag set.
void BuildTagTable(TagTable& table);

}  // namespace script
