// The solid character tags: each the same operation as its Sc function, with the layout
// attributes turned into positions and scales as the picture tags do (a size in pixels or a
// scale over the character's picture; a centre, or a top-left corner in the 1024 x 768 layout).
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "chara/C_SolidCharaLayer.h"
#include "chara/PlainCharas.h"
#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/StandLayout.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"

namespace script {

// `left`, `top`, `width`, `height` are integers for SimpleStandChara and reals for the moves.
StandLayout ReadStandLayout(const C_EventMain& events, const TagTokens& tokens, bool integerCorners) {
  StandLayout l;
  const auto corner = [integerCorners](const std::string& v) {
    return integerCorners ? float(TagInt(v)) : float(TagReal(v));
  };
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") l.page = TagInt(value);
    if (key == "file") l.file = value;
    if (key == "diff") l.diff = value;
    if (key == "time") l.time = TagInt(value);
    if (key == "type") l.relative = value == "REL";
    if (key == "left") l.left = corner(value);
    if (key == "top") l.top = corner(value);
    if (key == "pos_x") l.posX = float(TagReal(value));
    if (key == "pos_y") l.posY = float(TagReal(value));
    if (key == "scale_w") l.scaleW = float(TagReal(value)), l.scaleWGiven = true;
    if (key == "scale_h") l.scaleH = float(TagReal(value)), l.scaleHGiven = true;
    if (key == "width") l.width = corner(value);
    if (key == "height") l.height = corner(value);
    if (key == "power_horizon") l.powerH = float(TagReal(value));
    if (key == "power_vertical") l.powerV = float(TagReal(value));
    if (key == "delay_rate") l.decay = float(TagReal(value));
    if (key == "rangetime") l.rangeTime = TagInt(value);
    if (key == "power") l.power = float(TagReal(value));
    if (key == "angle") l.angleDegrees = float(TagReal(value));
    if (key == "round_time") l.roundTime = TagInt(value);
  });
  return l;
}

Placement Place(const StandLayout& l, float imageWidth, float imageHeight) {
  Placement p;
  p.scaleX = (l.width > 0 && imageWidth > 0) ? l.width / imageWidth : l.scaleW;
  p.scaleY = (l.height > 0 && imageHeight > 0) ? l.height / imageHeight : l.scaleH;
  p.x = l.posX != chara::NotGiven   ? l.posX
        : l.left != chara::NotGiven ? p.scaleX * imageWidth * 0.5f + l.left - 512.0f
                                    : chara::NotGiven;
  p.y = l.posY != chara::NotGiven  ? l.posY
        : l.top != chara::NotGiven ? p.scaleY * imageHeight * 0.5f + l.top - 384.0f
                                   : chara::NotGiven;
  return p;
}

float Given(float v, float otherwise) { return v != chara::NotGiven ? v : otherwise; }

namespace {

scene::C_BaseScene* Scene(const C_EventMain& events) {
  if (events.drivenScene) return events.drivenScene;
  engine::Engine& e = engine::context();
  return e.currentScene;
}

// The offset of an expression picture: pair n of g_CharaDiffPos for a name containing "stNN"
// (n = 0..14), pair 0 otherwise.
const std::array<int32_t, 2>& DiffOffset(const std::string& name) {
  const auto& table = engine::context().charaDiffPos;
  for (size_t n = 0; n < table.size(); ++n) {
    char key[8];
    std::snprintf(key, sizeof key, "st%02zu", n);
    if (name.find(key) != std::string::npos) return table[n];
  }
  return table[0];
}

// A ".sld" stand picture's touch event, by the first stNN its name holds; none for other names.
void SetStandTouchTarget(chara::C_SolidCharaLayer& c, const std::string& file) {
  static const char* const kTargets[][2] = {
      {"st00", "sce15_00_0.evt?lbl_TouchDistribute"}, {"st01", "special.evt?lbl_click_01"},
      {"st02", "special.evt?lbl_click_02"},           {"st03", "special.evt?lbl_click_03"},
      {"st04", "special.evt?lbl_click_04"},           {"st05", "special.evt?lbl_click_05"},
      {"st06", "sce15_06_0.evt?lbl_TouchDistribute"},
  };
  c.variants.clear();
  c.touchStart = chara::TouchStart::None;
  if (file.find(".sld") == std::string::npos) return;
  for (const auto& t : kTargets) {
    if (file.find(t[0]) == std::string::npos) continue;
    c.variants.assign(1, t[1]);
    c.touchStart = chara::TouchStart::TouchCall;
    return;
  }
}

bool SimpleStandChara(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, true);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  const bool withDiff = !l.diff.empty();
  const auto& offset = DiffOffset(l.file);
  chara::SetSolidChara(*s, l.page, l.file.c_str(), 0.0f, 0.0f, 0.0f, l.time, withDiff, l.diff.c_str(), offset[0],
                       offset[1]);
  chara::C_SolidCharaLayer* c = chara::FindSolidChara(*s, l.page);
  if (!c) return true;
  SetStandTouchTarget(*c, l.file);
  layer::PictureSlot& slot = c->currentPicture();
  const Placement p = Place(l, float(slot.width), float(slot.height));
  const float scale = engine::context().screenScale;
  slot.scaleX = p.scaleX * scale;
  slot.scaleY = p.scaleY * scale;
  slot.x = Given(p.x, 0) * scale;
  slot.y = Given(p.y, 0) * scale;
  return true;
}

bool SimpleStandCharaDiff(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, true);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  chara::C_SolidCharaLayer* c = chara::FindSolidChara(*s, l.page);
  if (!c) return true;
  const std::string file = c->currentMesh().name;
  if (file.empty()) return true;
  const auto& offset = DiffOffset(file);
  chara::ChangeSolidChara(*s, l.page, file.c_str(), l.diff.empty() ? nullptr : l.diff.c_str(), offset[0], offset[1]);
  return true;
}

bool SimpleDeleteChara(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::DeleteSolidChara(*s, l.page, l.time);
  return true;
}

bool MoveStandCharaReset(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSolidCharaReset(*s, l.page);
  return true;
}

bool MoveData(C_EventMain& events, const TagTokens& tokens, bool spline) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  chara::C_SolidCharaLayer* c = chara::FindSolidChara(*s, l.page);
  if (!c) return true;
  const layer::PictureSlot& slot = c->currentPicture();
  Placement p = Place(l, float(slot.width), float(slot.height));
  float x, y;
  if (l.relative) {
    x = Given(p.x, 0);
    y = Given(p.y, 0);
    if (!l.scaleWGiven && l.width <= 0) p.scaleX = 0;
    if (!l.scaleHGiven && l.height <= 0) p.scaleY = 0;
  } else {
    x = Given(p.x, slot.x);
    y = Given(p.y, slot.y);
  }
  if (spline)
    chara::MoveSplineSolidCharaAdd(*s, l.page, l.relative, x, y, p.scaleX, p.scaleY);
  else
    chara::MoveSolidCharaAdd(*s, l.page, l.relative, x, y, 0.0f, p.scaleX, p.scaleY, l.time);
  return true;
}
bool MoveStandCharaData(C_EventMain& events, const TagTokens& tokens) { return MoveData(events, tokens, false); }
bool MoveSplineStandCharaData(C_EventMain& events, const TagTokens& tokens) { return MoveData(events, tokens, true); }

bool MoveStandCharaStart(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSolidCharaSet(*s, l.page);
  return true;
}

bool MoveSplineStandCharaReset(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSplineSolidCharaReset(*s, l.page);
  return true;
}

bool MoveSplineStandCharaStart(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSplineSolidCharaSet(*s, l.page, l.time);
  return true;
}

bool ShakeStandChara(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events))
    chara::ShakeSolidChara(*s, l.page, l.powerH, l.powerV, 0.0f, l.decay, l.rangeTime);
  return true;
}

bool AutoShakeStart(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events))
    chara::SetAutoShake(*s, l.page, float(l.roundTime), l.power, l.angleDegrees / 57.295784f);
  return true;
}

bool AutoShakeEnd(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (scene::C_BaseScene* s = Scene(events)) chara::ResetAutoShake(*s, l.page);
  return true;
}

bool CharaMouseDragOn(C_EventMain& events, const TagTokens&) {
  if (scene::C_BaseScene* s = Scene(events)) chara::SetMouseOperate(*s, true);
  return true;
}

bool CharaMouseDragOff(C_EventMain& events, const TagTokens&) {
  if (scene::C_BaseScene* s = Scene(events)) chara::SetMouseOperate(*s, false);
  return true;
}

}  // namespace

void RegisterSolidTags(TagTable& table) {
  table.add("SimpleStandChara", SimpleStandChara,
            "page:i file:s left:i top:i pos_x:r pos_y:r scale_w:r scale_h:r width:i height:i time:i diff:s");
  table.add("SimpleStandCharaDiff", SimpleStandCharaDiff, "page:i time:i diff:s");
  table.add("SimpleDeleteChara", SimpleDeleteChara, "page:i time:i");
  table.add("MoveStandCharaReset", MoveStandCharaReset, "page:i");
  table.add("MoveStandCharaData", MoveStandCharaData,
            "page:i type:s time:i left:r top:r pos_x:r pos_y:r scale_w:r scale_h:r width:r height:r");
  table.add("MoveStandCharaStart", MoveStandCharaStart, "page:i");
  table.add("MoveSplineStandCharaReset", MoveSplineStandCharaReset, "page:i");
  table.add("MoveSplineStandCharaData", MoveSplineStandCharaData,
            "page:i type:s left:r top:r pos_x:r pos_y:r scale_w:r scale_h:r width:r height:r");
  table.add("MoveSplineStandCharaStart", MoveSplineStandCharaStart, "page:i time:i");
  table.add("ShakeStandChara", ShakeStandChara, "page:i power_horizon:r power_vertical:r delay_rate:r rangetime:i");
  table.add("AutoShakeStart", AutoShakeStart, "page:i power:r angle:r round_time:i");
  table.add("AutoShakeEnd", AutoShakeEnd, "page:i");
  table.add("CharaMouseDragOn", CharaMouseDragOn, "");
  table.add("CharaMouseDragOff", CharaMouseDragOff, "");
}

}  // namespace script
