// The window tags: the current text window, the speaker's name, and the window operations of the
// Sc functions under their tag spellings.
#include <string>

#include "platform/Encoding.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"
#include "window/WindowOperations.h"

namespace script {

namespace {

bool DrawWindow(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) { at.read(key, value); });
  events.SetTextWindow(at.type, at.page);
  if (at.type == "MES" && events.drivenScene) window::ShowClickCursorOn(*events.drivenScene, at.page);
  return true;
}

bool SetActiveTextColor(C_EventMain& events, const TagTokens& tokens) {
  uint32_t colour = 0xFFFFFFFFu;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "color") colour = TagColour(value);
  });
  if (events.drivenScene)
    window::SetTextColour(*events.drivenScene, events.textWindowType, events.textWindowPage, colour);
  return true;
}

// left and top, when given, are the window's top-left corner on the 1024 x 768 layout; the
// window operation takes its centre from the screen centre.
bool SetWindow(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  std::string file;
  int32_t width = 0, height = 0, left = 0, top = 0;
  bool leftGiven = false, topGiven = false;
  double posX = 0, posY = 0;
  bool draggable = false;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "file") file = value;
    if (key == "width") width = TagInt(value);
    if (key == "height") height = TagInt(value);
    if (key == "left") left = TagInt(value), leftGiven = true;
    if (key == "top") top = TagInt(value), topGiven = true;
    if (key == "pos_x") posX = TagReal(value);
    if (key == "pos_y") posY = TagReal(value);
    if (key == "draggable") draggable = TagBool(value, {"true"});
  });
  const float x = leftGiven ? float(left) + float(width) / 2.0f - 512.0f : float(posX);
  const float y = topGiven ? float(top) + float(height) / 2.0f - 384.0f : float(posY);
  if (events.drivenScene)
    window::SetWindow(*events.drivenScene, at.type, at.page, file.c_str(), width, height, x, y, draggable);
  return true;
}

bool SetTextArea(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  double left = 0, top = 0, right = 0, bottom = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "left") left = TagReal(value);
    if (key == "top") top = TagReal(value);
    if (key == "right") right = TagReal(value);
    if (key == "bottom") bottom = TagReal(value);
  });
  if (events.drivenScene)
    window::SetTextAreaWindow(*events.drivenScene, at.type, at.page, float(left), float(top), float(right),
                              float(bottom));
  return true;
}

bool SetFont(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  int32_t fontType = 0, size = 20, weight = 400;
  std::string fontName = CP932("ＭＳ ゴシック");
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "font_type") fontType = TagInt(value);
    if (key == "size") size = TagInt(value);
    if (key == "fontname") fontName = value;
    if (key == "bold") weight = TagInt(value);
  });
  if (events.drivenScene)
    window::SetFontWindow(*events.drivenScene, at.type, at.page, fontType, size, fontName.c_str(), weight);
  return true;
}

bool SetFontMargin(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  int32_t marginW = 0, marginH = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "marginW") marginW = TagInt(value);
    if (key == "marginH") marginH = TagInt(value);
  });
  if (events.drivenScene) window::SetFontMargin(*events.drivenScene, at.type, at.page, marginW, marginH);
  return true;
}

bool SetFontSpeed(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  double speed = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "speed") speed = TagReal(value);
  });
  if (events.drivenScene) window::SetFontSpeedWindow(*events.drivenScene, at.type, at.page, float(speed));
  return true;
}

template <void (*Operation)(scene::C_BaseScene&, std::string_view, int32_t, int32_t)>
bool TimedWindowTag(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  int32_t time = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "time") time = TagInt(value);
  });
  if (events.drivenScene) Operation(*events.drivenScene, at.type, at.page, time);
  return true;
}

bool ShowWindow(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  bool visible = true;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "visible") visible = TagBool(value, {"true"});
  });
  if (events.drivenScene) window::ShowWindow(*events.drivenScene, at.type, at.page, visible);
  return true;
}

// The name goes, as a text line would, to the message window numbered by the flag T_NameWinNo.
bool DrawName(C_EventMain& events, const TagTokens& tokens) {
  std::string name;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "name") name = value;
  });
  if (!events.drivenScene) return true;
  // The flag holds any number: one beyond the page range (or not a number) names no window.
  const double number = events.flags.numberView("T_NameWinNo");
  const int32_t page = number > -1.0 && number < 2147483648.0 ? int32_t(number) : -1;
  window::SetTextWindow(*events.drivenScene, events.flags, events.history, "MES", page, name);
  return true;
}

template <void (*Operation)(scene::C_BaseScene&, std::string_view, int32_t, std::string_view, int32_t)>
bool BindingTag(C_EventMain& events, const TagTokens& tokens) {
  TagWindowAddress at("MES");
  std::string parentType;
  int32_t parentPage = 0;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (at.read(key, value)) return;
    if (key == "parent_type") parentType = value;
    if (key == "parent_page") parentPage = TagInt(value);
  });
  if (events.drivenScene) Operation(*events.drivenScene, at.type, at.page, parentType, parentPage);
  return true;
}

}  // namespace

void RegisterWindowTags(TagTable& table) {
  table.add("DrawWindow", DrawWindow, "type:s page:i");
  table.add("SetActiveTextColor", SetActiveTextColor, "color:c");
  table.add("SetWindow", SetWindow, "type:s page:i file:s width:i height:i left:i top:i pos_x:r pos_y:r draggable:b");
  table.add("SetTextArea", SetTextArea, "type:s page:i left:r top:r right:r bottom:r");
  table.add("SetFont", SetFont, "type:s page:i font_type:i size:i fontname:s bold:i");
  table.add("SetFontMargin", SetFontMargin, "type:s page:i marginW:i marginH:i");
  table.add("SetFontSpeed", SetFontSpeed, "type:s page:i speed:r");
  table.add("OpenWindow", TimedWindowTag<window::OpenWindow>, "type:s page:i time:i");
  table.add("CloseWindow", TimedWindowTag<window::CloseWindow>, "type:s page:i time:i");
  table.add("ShowWindow", ShowWindow, "type:s page:i visible:b");
  table.add("DrawName", DrawName, "name:s");
  table.add("BindWindow", BindingTag<window::BindWindow>, "type:s page:i parent_type:s parent_page:i");
  table.add("ResetBindWindow", BindingTag<window::ResetBindWindow>, "type:s page:i parent_type:s parent_page:i");
}

}  // namespace script
