// The script scene's windows: lookup, creation, and their steps in the scene's frame.
#include "window/SceneWindows.h"

#include "engine/Engine.h"
#include "engine/Input.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "window/C_ButtonLayer.h"
#include "window/C_CheckButtonLayer.h"
#include "window/C_DialogSet.h"
#include "window/C_HistoryWindowLayer.h"
#include "window/C_MultiWindowSet.h"
#include "window/C_SelWindowLayer.h"
#include "window/C_SlideLayer.h"
#include "window/C_WindowLayer.h"

namespace window {

namespace {

struct TypeName {
  std::string_view name;
  int32_t code;
};

constexpr TypeName kTypeCodes[] = {{"MES", kind::Message},  {"SEL", kind::Select}, {"DIALOG", kind::Dialog},
                                   {"D_BTN", kind::Dialog}, {"PLN", kind::Plain},  {"BTN", kind::Button},
                                   {"HIST", kind::History}, {"CHECK", kind::Check}};

std::unique_ptr<C_WindowLayer> makeWindowLayer() { return std::make_unique<C_WindowLayer>(); }
template <typename Window>
std::unique_ptr<C_WindowLayer> makeWidget() {
  return std::make_unique<Window>();
}

struct WindowMaker {
  std::string_view type;
  std::unique_ptr<C_WindowLayer> (*make)();
};

// The classes of the list types. Message and plain windows are the window layer itself.
constexpr WindowMaker kWindowMakers[] = {{"MES", makeWindowLayer},
                                         {"PLN", makeWindowLayer},
                                         {"SEL", makeWidget<C_SelWindowLayer>},
                                         {"BTN", makeWidget<C_ButtonLayer>},
                                         {"CHECK", makeWidget<C_CheckButtonLayer>},
                                         {"SLIDE", makeWidget<C_SlideLayer>}};

template <typename Visit>
void forEach(WindowLayers& list, Visit visit) {
  for (const std::unique_ptr<C_WindowLayer>& w : list) visit(*w);
}

// Loaded and not transparent.
bool showing(C_WindowLayer& w) {
  const layer::PictureSlot& s = w.currentPicture();
  return s.loaded && s.alpha() != 0;
}

int32_t updateWithoutTakingMouse(WindowLayers& list, bool mouseTaken) {
  int32_t animating = 0;
  for (const std::unique_ptr<C_WindowLayer>& w : list) {
    if (!mouseTaken) w->handleMouse();
    if (w->update(nullptr) != 0) ++animating;
  }
  return animating;
}

}  // namespace

int32_t WindowTypeCode(std::string_view type) {
  for (const TypeName& t : kTypeCodes)
    if (t.name == type) return t.code;
  return -1;
}

WindowLayers* WindowList(scene::C_BaseScene& scene, std::string_view type) {
  if (type == "MES") return &scene.mesWindows;
  if (type == "SEL") return &scene.selWindows;
  if (type == "PLN") return &scene.plnWindows;
  if (type == "BTN") return &scene.btnWindows;
  if (type == "SLIDE") return &scene.slideWindows;
  if (type == "CHECK") return &scene.checkWindows;
  return nullptr;
}

C_WindowLayer* LookUpWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page) {
  if (WindowLayers* list = WindowList(scene, type)) {
    if (page < 0 || size_t(page) >= list->size()) return nullptr;
    return (*list)[size_t(page)].get();
  }
  // The single windows: the history, the dialog and its two buttons.
  if (type == "HIST") return page == 0 ? scene.history.get() : nullptr;
  if (type == "DIALOG") return page == 0 ? scene.dialog.get() : nullptr;
  if (type == "D_BTN" && scene.dialog && page >= 0 && size_t(page) < scene.dialog->buttons.size())
    return scene.dialog->buttons[size_t(page)].get();
  return nullptr;
}

std::unique_ptr<C_WindowLayer> MakeWindow(std::string_view type) {
  for (const WindowMaker& m : kWindowMakers)
    if (m.type == type) return m.make();
  return nullptr;
}

// ---- The scene's life ----------------------------------------------------------------------------

std::unique_ptr<C_MultiWindowSet> CreateWindowSet() { return std::make_unique<C_MultiWindowSet>(); }

void DestroySceneWindows(scene::C_BaseScene& scene) {
  for (auto* list : {&scene.btnWindows, &scene.checkWindows, &scene.mesWindows, &scene.selWindows, &scene.plnWindows,
                     &scene.slideWindows}) {
    list->clear();
  }
  scene.history.reset();
  scene.windowSet.reset();
  scene.dialog.reset();
}

bool WindowSetShown(const scene::C_BaseScene& scene) {
  C_MultiWindowSet* set = scene.windowSet.get();
  return set && set->visible && showing(*set);
}

// ---- Update -----------------------------------------------------------------------------------------

void UpdateWindowSet(scene::C_BaseScene& scene, bool& mouseTaken) {
  C_MultiWindowSet* set = scene.windowSet.get();
  if (!set) return;
  // While shown (the help) it takes every click.
  if (!mouseTaken && (set->handleMouse() != 0 || set->shown)) mouseTaken = true;
  set->update(nullptr);
}

int32_t UpdateMessageWindows(scene::C_BaseScene& scene, bool mouseTaken) {
  return updateWithoutTakingMouse(scene.mesWindows, mouseTaken);
}

int32_t UpdatePlainWindows(scene::C_BaseScene& scene, bool mouseTaken) {
  return updateWithoutTakingMouse(scene.plnWindows, mouseTaken);
}

void ToggleWindowHiding(scene::C_BaseScene& scene) {
  if (scene.hideToggleEnabled && !scene.dialogShown) {
    if (engine::KeyDown(platform::vk::Space)) {
      // Once per press.
      if (!scene.spaceLatch) scene.windowsShown = !scene.windowsShown;
      scene.spaceLatch = true;
    } else {
      scene.spaceLatch = false;
      if (!scene.windowsShown && (engine::context().mouse.mouseEvents & engine::mouse::RightDown))
        scene.windowsShown = true;
    }
  }
  // With nothing left to hide, the windows count as shown again.
  bool anyShowing = false;
  for (auto* list : {&scene.mesWindows, &scene.plnWindows})
    for (const std::unique_ptr<C_WindowLayer>& w : *list) anyShowing = anyShowing || showing(*w);
  if (!anyShowing) scene.windowsShown = true;
  for (auto* list : {&scene.mesWindows, &scene.plnWindows})
    forEach(*list, [&](C_WindowLayer& w) { w.visible = scene.windowsShown; });
}

// ---- Render -----------------------------------------------------------------------------------------

void DrawSceneWindows(scene::C_BaseScene& scene) {
  // Typing happens here, inside the frame's drawing.
  for (auto* list : {&scene.mesWindows, &scene.selWindows, &scene.plnWindows, &scene.btnWindows, &scene.checkWindows})
    forEach(*list, [](C_WindowLayer& w) {
      w.runRenderer();
      w.draw();
    });
  forEach(scene.slideWindows, [](C_WindowLayer& w) { w.draw(); });
  if (scene.history) {
    scene.history->runRenderer();
    scene.history->draw();
  }
  if (scene.windowSet) scene.windowSet->drawBoth(0.5f);
  if (scene.dialog) scene.dialog->drawBoth(0.5f);
}

// ---- Script step --------------------------------------------------------------------------------------

void FinishMessageWindows(scene::C_BaseScene& scene) {
  forEach(scene.mesWindows, [](C_WindowLayer& w) {
    w.finishAnimations();
    if (w.isTyping()) w.requestShowAll();
  });
}

void ClearMessagePages(scene::C_BaseScene& scene) {
  forEach(scene.mesWindows, [](C_WindowLayer& w) { w.setText(std::string(), true); });
}

bool AnyMessageWindowAtEndOfText(const scene::C_BaseScene& scene) {
  for (const std::unique_ptr<C_WindowLayer>& w : scene.mesWindows)
    if (w->typingFinished) return true;
  return false;
}

// ---- Device loss --------------------------------------------------------------------------------------

void ReleaseWindowTextTargets(scene::C_BaseScene& scene) {
  // Check buttons too: a caption's render target kept through the loss would block the reset.
  for (auto* list : {&scene.mesWindows, &scene.selWindows, &scene.plnWindows, &scene.btnWindows, &scene.slideWindows,
                     &scene.checkWindows})
    forEach(*list, [](C_WindowLayer& w) { w.releaseTextTarget(); });
  if (scene.history) scene.history->releaseTextTarget();
  if (scene.dialog) scene.dialog->releaseTextTarget();
  if (scene.windowSet) scene.windowSet->releaseTextTarget();
}

void RestoreWindowTextTargets(scene::C_BaseScene& scene) {
  for (auto* list : {&scene.mesWindows, &scene.selWindows, &scene.plnWindows, &scene.btnWindows, &scene.slideWindows,
                     &scene.checkWindows})
    forEach(*list, [](C_WindowLayer& w) { w.restoreTextTarget(); });
  if (scene.history) scene.history->restoreTextTarget();
  if (scene.dialog) scene.dialog->restoreTextTarget();
  if (scene.windowSet) scene.windowSet->restoreTextTarget();
}

}  // namespace window
