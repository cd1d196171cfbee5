// The solid event picture tags: each the operation of its Sc function on the scene's event
// picture (nothing while no solid-character array exists).
#include <string>

#include "chara/C_SolidCharaLayer.h"
#include "chara/C_SolidEventLayer.h"
#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/StandLayout.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"

namespace script {

namespace {

constexpr float kDegreesPerRadian = 57.295784f;

chara::C_SolidEventLayer* EventPicture(const C_EventMain& events) {
  scene::C_BaseScene* s = events.drivenScene ? events.drivenScene : engine::context().currentScene;
  return s ? chara::FindSolidEvent(*s) : nullptr;
}

bool SimpleEvent(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  std::string touchFile, touchLabel;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "touchEventFile") touchFile = value;
    if (key == "touchEventLabel") touchLabel = value;
  });
  chara::C_SolidEventLayer* ev = EventPicture(events);
  if (!ev) return true;
  ev->SetEvent(l.file.c_str(), l.time);
  if (ev->layers.empty()) return true;
  // Laid out over the base layer's picture; every layer takes the same place and scale.
  const layer::PictureSlot& base = ev->layers[0]->currentPicture();
  const Placement p = Place(l, float(base.width), float(base.height));
  ev->ScaleEvent(p.scaleX, p.scaleY);
  ev->PutEvent(Given(p.x, 0), Given(p.y, 0), 0.0f);
  // The touch event is the one target (region 1) of every layer the picture uses.
  const bool hasTarget = !touchFile.empty() && !touchLabel.empty();
  for (size_t k = 0; k < ev->layers.size(); ++k) {
    if (!ev->enabled(k)) continue;
    chara::C_SolidCharaLayer& c = *ev->layers[k];
    c.variants.clear();
    c.touchStart = chara::TouchStart::None;
    if (!hasTarget) continue;
    c.variants.assign(1, touchFile + "?" + touchLabel);
    c.touchStart = chara::TouchStart::TouchCall;
  }
  return true;
}

bool SimpleDeleteEvent(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (chara::C_SolidEventLayer* ev = EventPicture(events)) ev->DeleteEvent(l.time);
  return true;
}

bool ShakeEvent(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (chara::C_SolidEventLayer* ev = EventPicture(events))
    ev->ShakeEvent(l.powerH, l.powerV, 0.0f, l.decay, l.rangeTime);
  return true;
}

// The per-layer tags take `page` (0, 1 or 2) for one layer; without it every layer.
bool PageGiven(const C_EventMain& events, const TagTokens& tokens) {
  bool given = false;
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string&) { given |= key == "page"; });
  return given;
}

bool ShakeEventLayer(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  chara::C_SolidEventLayer* ev = EventPicture(events);
  if (!ev) return true;
  const bool one = PageGiven(events, tokens);
  for (size_t k = 0; k < chara::C_SolidEventLayer::kLayerCount; ++k)
    if (!one || int32_t(k) == l.page) ev->ShakeLayer(k, l.powerH, l.powerV, 0.0f, l.decay, l.rangeTime);
  return true;
}

bool AutoShakeEventStart(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  if (chara::C_SolidEventLayer* ev = EventPicture(events))
    ev->AutoShakeEvent(float(l.roundTime), l.power, l.angleDegrees / kDegreesPerRadian);
  return true;
}

bool AutoShakeEventLayerStart(C_EventMain& events, const TagTokens& tokens) {
  const StandLayout l = ReadStandLayout(events, tokens, false);
  chara::C_SolidEventLayer* ev = EventPicture(events);
  if (!ev) return true;
  const bool one = PageGiven(events, tokens);
  for (size_t k = 0; k < chara::C_SolidEventLayer::kLayerCount; ++k)
    if (!one || int32_t(k) == l.page)
      ev->AutoShakeLayer(k, float(l.roundTime), l.power, l.angleDegrees / kDegreesPerRadian);
  return true;
}

bool AutoShakeEventEnd(C_EventMain& events, const TagTokens&) {
  if (chara::C_SolidEventLayer* ev = EventPicture(events)) ev->ResetAutoShakeEvent();
  return true;
}

}  // namespace

void RegisterSolidEventTags(TagTable& table) {
  table.add("SimpleEvent", SimpleEvent,
            "file:s left:r top:r pos_x:r pos_y:r scale_w:r scale_h:r width:r height:r time:i touchEventFile:s "
            "touchEventLabel:s");
  table.add("SimpleDeleteEvent", SimpleDeleteEvent, "time:i");
  table.add("ShakeEvent", ShakeEvent, "power_horizon:r power_vertical:r delay_rate:r rangetime:i");
  table.add("ShakeEventLayer", ShakeEventLayer, "page:i power_horizon:r power_vertical:r delay_rate:r rangetime:i");
  table.add("AutoShakeEventStart", AutoShakeEventStart, "power:r angle:r round_time:i");
  table.add("AutoShakeEventLayerStart", AutoShakeEventLayerStart, "page:i power:r angle:r round_time:i");
  table.add("AutoShakeEventEnd", AutoShakeEventEnd, "");
}

}  // namespace script
