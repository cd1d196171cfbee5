// The selection and widget tags: the operations of their Sc functions under the tag spellings,
// with the same messages and captions.
#include <cmath>
#include <string>

#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"
#include "window/C_SlideLayer.h"
#include "window/WidgetOperations.h"
#include "window/WindowOperations.h"

namespace script {

namespace {

float Layout(double v) {
  if (std::isnan(v)) return 0.0f;
  if (v > 3.0e38) return 3.0e38f;
  if (v < -3.0e38) return -3.0e38f;
  return float(v);
}

// ---- Selections ----

bool SelectClear(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("SEL");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) { at.read(key, value); });
  window::ClearSelect(events.pendingChoices, events.drivenScene, at.page);
  return true;
}

bool SelectAdd(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("SEL");
  std::string text, file, label;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "text") text = value;
    if (key == "file") file = value;
    if (key == "label") label = value;
  });
  window::AddSelect(events.pendingChoices, text, file, label);
  return true;
}

bool CommitSelect(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("SEL");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) { at.read(key, value); });
  if (events.drivenScene) window::CommitSelect(events.pendingChoices, *events.drivenScene, at.page);
  return true;
}

template <bool active>
bool SelectActivation(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("SEL");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) { at.read(key, value); });
  if (!events.drivenScene) return true;
  if (active)
    window::SelectActive(*events.drivenScene, at.page);
  else
    window::SelectNotActive(*events.drivenScene, at.page);
  return true;
}

// ---- Widgets ----

bool SetButtonEvent(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("BTN");
  std::string file, label;
  bool call = false;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "file") file = value;
    if (key == "label") label = value;
    if (key == "call") call = TagBool(value, {"true", "TRUE", "True"});
  });
  if (events.drivenScene) window::SetButtonEvent(*events.drivenScene, at.type, at.page, file, label, call);
  return true;
}

// For "SEL" the selection's activation, otherwise the window's.
template <bool active>
bool WindowActivation(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("BTN");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) { at.read(key, value); });
  if (events.drivenScene) window::SetWindowActive(*events.drivenScene, at.type, at.page, active);
  return true;
}

// left and top, when given, are the slider's top-left corner on the 1024 x 768 layout; the
// operation takes its centre from the screen centre.
bool SetSlideData(C_EventMain& events, const TagTokens& tokens) {
  int32_t page = 0;
  double width = 100, height = 32, left = 0, top = 0;
  bool leftGiven = false, topGiven = false, vertical = false;
  double thumbWidth = 16, thumbHeight = 32;
  int32_t min = 0, max = 100, init = 50;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") page = TagInt(value);
    if (key == "width") width = TagReal(value);
    if (key == "height") height = TagReal(value);
    if (key == "type") vertical = TagInt(value) != 0;
    if (key == "switch") {
      thumbWidth = TagReal(value);
      const size_t comma = value.find(',');
      if (comma != std::string::npos) thumbHeight = TagReal(value.substr(comma + 1));
    }
    if (key == "min") min = TagInt(value);
    if (key == "max") max = TagInt(value);
    if (key == "init") init = TagInt(value);
    if (key == "left") left = TagReal(value), leftGiven = true;
    if (key == "top") top = TagReal(value), topGiven = true;
  });
  // Sizes beyond the picture slot's range give no size at all.
  const float w = width > -32768.0 && width < 32768.0 ? float(int32_t(width)) : 0.0f;
  const float h = height > -32768.0 && height < 32768.0 ? float(int32_t(height)) : 0.0f;
  const float x = leftGiven ? Layout(left + width / 2.0 - 512.0) : 0.0f;
  const float y = topGiven ? Layout(top + height / 2.0 - 384.0) : 0.0f;
  if (events.drivenScene)
    window::SetSlideData(*events.drivenScene, page, w, h, x, y, vertical, Layout(thumbWidth), Layout(thumbHeight), min,
                         max, init);
  return true;
}

// A colour not given keeps the slider's.
bool SetSlideColor(C_EventMain& events, const TagTokens& tokens) {
  if (!events.drivenScene) return true;
  int32_t page = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") page = TagInt(value);
  });
  window::C_SlideLayer* slider = window::SliderForPage(*events.drivenScene, page);
  if (!slider) return true;
  window::SlideColours colours{slider->baseNorm, slider->baseAct, slider->switchNorm, slider->switchAct};
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "baseNorm") colours.baseNorm = TagColour(value);
    if (key == "baseAct") colours.baseAct = TagColour(value);
    if (key == "switchNorm") colours.switchNorm = TagColour(value);
    if (key == "switchAct") colours.switchAct = TagColour(value);
  });
  window::SetSlideColour(*events.drivenScene, page, colours);
  return true;
}

template <void (*Operation)(FlagStore&, scene::C_BaseScene&, int32_t, std::string_view)>
bool IntoFlagTag(C_EventMain& events, const TagTokens& tokens) {
  int32_t page = 0;
  std::string flag;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") page = TagInt(value);
    if (key == "valiant") flag = value;
  });
  if (events.drivenScene) Operation(events.flags, *events.drivenScene, page, flag);
  return true;
}

bool SetSlideValue(C_EventMain& events, const TagTokens& tokens) {
  int32_t page = 0, value = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& text) {
    if (key == "page") page = TagInt(text);
    if (key == "value") value = TagInt(text);
  });
  if (events.drivenScene) window::SetSlideValue(*events.drivenScene, page, value);
  return true;
}

bool SetCheckButtonChecked(C_EventMain& events, const TagTokens& tokens) {
  int32_t page = 0;
  bool checked = false;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") page = TagInt(value);
    if (key == "value") checked = TagBool(value, {"true", "True", "TRUE"});
  });
  if (events.drivenScene) window::SetCheckButtonChecked(*events.drivenScene, page, checked);
  return true;
}

}  // namespace

void RegisterWidgetTags(TagTable& table) {
  table.add("SelectClear", SelectClear, "type:s page:i");
  table.add("SelectAdd", SelectAdd, "type:s page:i text:s file:s label:s");
  table.add("CommitSelect", CommitSelect, "type:s page:i");
  table.add("SelectActive", SelectActivation<true>, "type:s page:i");
  table.add("SelectNotActive", SelectActivation<false>, "type:s page:i");
  table.add("SetButtonEvent", SetButtonEvent, "type:s page:i file:s label:s call:b");
  table.add("WindowActive", WindowActivation<true>, "type:s page:i");
  table.add("WindowNotActive", WindowActivation<false>, "type:s page:i");
  table.add("SetSlideData", SetSlideData, "page:i width:r height:r type:i switch:s min:i max:i init:i left:r top:r");
  table.add("SetSlideColor", SetSlideColor, "page:i baseNorm:c baseAct:c switchNorm:c switchAct:c");
  table.add("GetSlideValue", IntoFlagTag<window::GetSlideValue>, "page:i valiant:s");
  table.add("SetSlideValue", SetSlideValue, "page:i value:i");
  table.add("SetCheckButtonChecked", SetCheckButtonChecked, "page:i value:b");
  table.add("GetCheckButtonChecked", IntoFlagTag<window::GetCheckButtonChecked>, "page:i valiant:s");
}

}  // namespace script
