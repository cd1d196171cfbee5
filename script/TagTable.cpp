// The one list of tag registration functions.
#include "script/TagTable.h"

namespace script {

namespace {

// In the order of the tag set: program and flow, backgrounds and plain characters, windows,
// selections and widgets, solid characters, solid event pictures, sound. Each later subsystem
// adds its line here.
constexpr void (*kTagRegistrars[])(TagTable&) = {
    RegisterFlowTags,
    RegisterPictureTags,
    RegisterWindowTags,
    RegisterWidgetTags,
    RegisterSoundTags,
};

}  // namespace

void BuildTagTable(TagTable& table) {
  for (auto registrar : kTagRegistrars) registrar(table);
}

}  // namespace script
