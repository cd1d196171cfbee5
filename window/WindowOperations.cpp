// The window operations of the Sc functions and window tags.
#include "window/WindowOperations.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "engine/FlagInsertion.h"
#include "engine/FlagStore.h"
#include "engine/HistoryRecord.h"
#include "scene/C_BaseScene.h"
#include "sound/VoiceTag.h"
#include "window/C_HistoryWindowLayer.h"
#include "window/C_WindowLayer.h"
#include "window/SceneWindows.h"
#include "window/WidgetOperations.h"

namespace window {

namespace {

// The window and every window bound to it.
template <typename Apply>
void withChildren(C_WindowLayer& w, Apply apply) {
  apply(w);
  // A copy: an operation on a child must not disturb the walk.
  const std::vector<C_WindowLayer*> children = w.children;
  for (C_WindowLayer* child : children) apply(*child);
}

}  // namespace

void SetWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, const char* file, int32_t width,
               int32_t height, float x, float y, bool draggable) {
  // An unknown window type or a negative page sets nothing up.
  const int32_t code = WindowTypeCode(type);
  if (code < 0 || page < 0) return;
  // A page beyond the list makes one new window, which takes the next free page.
  WindowLayers* list = WindowList(scene, type);
  C_WindowLayer* w = nullptr;
  bool reuse = true;
  if (type == "HIST") {
    // Made once; later calls do nothing.
    if (scene.history) return;
    scene.history = std::make_unique<C_HistoryWindowLayer>();
    w = scene.history.get();
    reuse = false;
  } else if (!list) {
    // The dialog and its buttons always exist.
    w = LookUpWindow(scene, type, page);
    if (!w) return;
  } else if (int64_t(page) + 1 <= int64_t(list->size())) {
    w = (*list)[size_t(page)].get();
  } else {
    reuse = false;
    std::unique_ptr<C_WindowLayer> made = MakeWindow(type);
    if (!made) return;
    w = made.get();
    list->push_back(std::move(made));
    AdoptNewWindow(scene, type, *w);
  }
  // A new frame picture replaces the old one before the window is laid out on it.
  if (file && file[0] != '\0') {
    w->releasePicture(false);
    w->setPicture(file, nullptr, false);
  }
  w->setWindow(code, width, height, x, y, draggable, reuse);
  // Earlier bindings are dropped; the window belongs to this scene.
  w->children.clear();
  w->owner = &scene;
}

void SetTextAreaWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, float left, float top,
                       float right, float bottom) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->setTextArea(left, top, right, bottom);
}

void SetFontWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t fontType, int32_t size,
                   const char* fontName, int32_t weight) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->setFont(uint8_t(fontType), size, fontName, weight);
}

void SetFontMargin(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t marginW, int32_t marginH) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->setFontMargin(marginW, marginH);
}

void SetFontSpeedWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, float speed) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->speed = speed;
}

void OpenWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t timeMs) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page))
    withChildren(*w, [timeMs](C_WindowLayer& x) { x.open(timeMs); });
}

void CloseWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, int32_t timeMs) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page))
    withChildren(*w, [timeMs](C_WindowLayer& x) { x.close(timeMs); });
}

void ShowWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, bool visible) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page))
    withChildren(*w, [visible](C_WindowLayer& x) { x.visible = visible; });
}

void SetTextWindow(scene::C_BaseScene& scene, const script::FlagStore& flags, script::HistoryRecord& history,
                   std::string_view type, int32_t page, std::string_view source) {
  C_WindowLayer* w = LookUpWindow(scene, type, page);
  if (!w) return;
  // Flag values are put into the text first, within the text buffer's size.
  std::string text = script::InsertFlagValues(source, flags, kTextBufferBytes - 1);
  // Message windows speak the inline voice and keep the page for the history.
  if (type == "MES") {
    const sound::VoiceTag voice = sound::CutVoiceTag(text);
    sound::PlayVoiceTag(voice);
    history.record(text, voice.file, page);
  }
  // The page starts typing.
  w->setText(text, false);
}

void BindWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view parentType,
                int32_t parentPage) {
  C_WindowLayer* w = LookUpWindow(scene, type, page);
  C_WindowLayer* parent = LookUpWindow(scene, parentType, parentPage);
  if (w && parent) parent->children.push_back(w);
}

void ResetBindWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view parentType,
                     int32_t parentPage) {
  C_WindowLayer* w = LookUpWindow(scene, type, page);
  C_WindowLayer* parent = LookUpWindow(scene, parentType, parentPage);
  if (!w || !parent) return;
  std::erase(parent->children, w);
}

void SetWindowActive(scene::C_BaseScene& scene, std::string_view type, int32_t page, bool active) {
  // A selection window's activation is ScSelectActive's, with its messages.
  if (type == "SEL") {
    if (active)
      SelectActive(scene, page);
    else
      SelectNotActive(scene, page);
    return;
  }
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->setActive(active);
}

void ShowClickCursorOn(scene::C_BaseScene& scene, int32_t page) {
  for (size_t i = 0; i < scene.mesWindows.size(); ++i)
    scene.mesWindows[i]->setClickCursorShown(page >= 0 && i == size_t(page));
}

void SetTextColour(scene::C_BaseScene& scene, std::string_view type, int32_t page, uint32_t colour) {
  if (C_WindowLayer* w = LookUpWindow(scene, type, page)) w->textColour = colour;
}

}  // namespace window
