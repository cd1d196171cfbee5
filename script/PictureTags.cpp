// The background and plain character tags: each the same operation as its Sc function, with
// the layout attributes turned into positions and scales.
//
// Layout attributes: `width` / `height` (a target size in pixels, when above 0) or `scale_w` /
// `scale_h` (default 1) give the scale over the picture's own size; `pos_x` / `pos_y` are the
// centre from the screen centre, or else `left` / `top` the top-left corner in the 1024 x 768
// layout (centre = left + scaled width / 2 - 512, top + scaled height / 2 - 384); a position
// given by neither stays "not given" (-99999): the centre (0) for a picture that is set, no
// offset for a relative move, the present position for an absolute one. A scale not given in
// a relative move adds nothing.
#include <string>

#include "chara/PlainCharas.h"
#include "engine/Engine.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_TextureFact.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/TagAttributes.h"
#include "script/TagTable.h"

namespace script {

namespace {

scene::C_BaseScene* Scene(const C_EventMain& events) {
  if (events.drivenScene) return events.drivenScene;
  engine::Engine& e = engine::context();
  return e.currentScene;
}

struct Layout {
  int32_t page = 0;
  std::string file;
  int32_t time = 0;
  bool relative = false;
  float left = chara::NotGiven, top = chara::NotGiven;
  float posX = chara::NotGiven, posY = chara::NotGiven;
  float scaleW = 1.0f, scaleH = 1.0f;
  bool scaleWGiven = false, scaleHGiven = false;
  float width = 0.0f, height = 0.0f;
};

// The tags that set a picture read `left`, `top`, `width` and `height` as integers; the
// move-data tags read them as reals.
enum class Corners { Integer, Real };

Layout ReadLayout(const C_EventMain& events, const TagTokens& tokens, Corners corners = Corners::Real) {
  Layout l;
  const auto corner = [corners](const std::string& value) {
    return corners == Corners::Integer ? float(TagInt(value)) : float(TagReal(value));
  };
  ForEachAttribute(events, tokens, [&](const std::string& key, const std::string& value) {
    if (key == "page") l.page = TagInt(value);
    if (key == "file") l.file = value;
    if (key == "time") l.time = TagInt(value);
    if (key == "type") l.relative = value == "REL";
    if (key == "left") l.left = corner(value);
    if (key == "top") l.top = corner(value);
    if (key == "pos_x") l.posX = float(TagReal(value));
    if (key == "pos_y") l.posY = float(TagReal(value));
    if (key == "scale_w") {
      l.scaleW = float(TagReal(value));
      l.scaleWGiven = true;
    }
    if (key == "scale_h") {
      l.scaleH = float(TagReal(value));
      l.scaleHGiven = true;
    }
    if (key == "width") l.width = corner(value);
    if (key == "height") l.height = corner(value);
  });
  return l;
}

// The scale over a picture of the given size, and the centre the layout gives it.
struct Placement {
  float scaleX, scaleY;
  float x, y;  // NotGiven when no position attribute was given
};

Placement Place(const Layout& l, float imageWidth, float imageHeight) {
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

bool SimpleBG(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens, Corners::Integer);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  gfx::ImageInfo info;
  layer::getImageInfo(l.file.c_str(), info);
  // Without a size or a scale the background fills the screen (ScSetBG's -1).
  const bool sized = l.width > 0 || l.height > 0 || l.scaleWGiven || l.scaleHGiven;
  Layout layout = l;
  if (!sized) {
    layout.width = 1024;
    layout.height = 768;
  }
  const Placement p = Place(layout, float(info.width), float(info.height));
  chara::SetBackground(*s, l.file.c_str(), -1, -1, Given(p.x, 0), Given(p.y, 0), 0.0f, l.time);
  // The scale as the layout gives it: a size in whole pixels would lose a pixel to rounding.
  if (sized && info.width > 0 && info.height > 0 && s->background) {
    layer::PictureSlot& slot = s->background->currentPicture();
    slot.scaleX = p.scaleX * engine::context().screenScale;
    slot.scaleY = p.scaleY * engine::context().screenScale;
  }
  return true;
}

bool SimplePlainChara(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens, Corners::Integer);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  gfx::ImageInfo info;
  layer::getImageInfo(l.file.c_str(), info);
  const Placement p = Place(l, float(info.width), float(info.height));
  layer::C_BaseCharaLayer* c = chara::SetPlainChara(*s, l.page, l.file.c_str(), Given(p.x, 0), Given(p.y, 0), l.time);
  if (c) {
    c->currentPicture().scaleX = p.scaleX * engine::context().screenScale;
    c->currentPicture().scaleY = p.scaleY * engine::context().screenScale;
  }
  return true;
}

bool SimpleDeletePlainChara(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens);
  if (scene::C_BaseScene* s = Scene(events)) chara::DeletePlainChara(*s, l.page, l.time);
  return true;
}

bool MovePlainCharaReset(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens);
  if (scene::C_BaseScene* s = Scene(events)) chara::MovePlainCharaReset(*s, l.page);
  return true;
}

// The key or spline point a move-data tag describes, for the character's current picture.
bool MoveData(C_EventMain& events, const TagTokens& tokens, bool spline) {
  const Layout l = ReadLayout(events, tokens);
  scene::C_BaseScene* s = Scene(events);
  if (!s) return true;
  layer::C_BaseCharaLayer* c = chara::FindPlainChara(*s, l.page);
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
    chara::MoveSplinePlainCharaAdd(*s, l.page, l.relative, x, y, p.scaleX, p.scaleY);
  else
    chara::MovePlainCharaAdd(*s, l.page, l.relative, x, y, p.scaleX, p.scaleY, l.time);
  return true;
}
bool MovePlainCharaData(C_EventMain& events, const TagTokens& tokens) { return MoveData(events, tokens, false); }
bool MoveSplinePlainCharaData(C_EventMain& events, const TagTokens& tokens) { return MoveData(events, tokens, true); }

bool MovePlainCharaStart(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens);
  if (scene::C_BaseScene* s = Scene(events)) chara::MovePlainCharaSet(*s, l.page);
  return true;
}

bool MoveSplinePlainCharaReset(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSplinePlainCharaReset(*s, l.page);
  return true;
}

bool MoveSplinePlainCharaStart(C_EventMain& events, const TagTokens& tokens) {
  const Layout l = ReadLayout(events, tokens);
  if (scene::C_BaseScene* s = Scene(events)) chara::MoveSplinePlainCharaSet(*s, l.page, l.time);
  return true;
}

// The layout attributes every picture tag reads (ReadLayout).
constexpr const char* kSetLayout =
    "page:i file:s time:i type:s pos_x:r pos_y:r scale_w:r scale_h:r left:i top:i width:i height:i";
constexpr const char* kMoveLayout =
    "page:i file:s time:i type:s pos_x:r pos_y:r scale_w:r scale_h:r left:r top:r width:r height:r";

}  // namespace

void RegisterPictureTags(TagTable& table) {
  table.add("SimpleBG", SimpleBG, kSetLayout);
  table.add("SimplePlainChara", SimplePlainChara, kSetLayout);
  table.add("SimpleDeletePlainChara", SimpleDeletePlainChara, kMoveLayout);
  table.add("MovePlainCharaReset", MovePlainCharaReset, kMoveLayout);
  table.add("MovePlainCharaData", MovePlainCharaData, kMoveLayout);
  table.add("MovePlainCharaStart", MovePlainCharaStart, kMoveLayout);
  table.add("MoveSplinePlainCharaReset", MoveSplinePlainCharaReset, kMoveLayout);
  table.add("MoveSplinePlainCharaData", MoveSplinePlainCharaData, kMoveLayout);
  table.add("MoveSplinePlainCharaStart", MoveSplinePlainCharaStart, kMoveLayout);
}

}  // namespace script
