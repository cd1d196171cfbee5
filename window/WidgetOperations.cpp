// The selection and widget operations of the Sc functions and tags.
#include "window/WidgetOperations.h"

#include <string>

#include "engine/FlagStore.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "window/C_ButtonLayer.h"
#include "window/C_CheckButtonLayer.h"
#include "window/C_SelWindowLayer.h"
#include "window/C_SlideLayer.h"
#include "window/SceneWindows.h"

namespace window {

namespace {

std::string Target(std::string_view file, std::string_view label) {
  std::string target(file);
  target += '?';
  target += label;
  return target;
}

C_SelWindowLayer* Selection(scene::C_BaseScene& scene, int32_t page) {
  return dynamic_cast<C_SelWindowLayer*>(LookUpWindow(scene, "SEL", page));
}

C_CheckButtonLayer* CheckButton(scene::C_BaseScene& scene, int32_t page) {
  return dynamic_cast<C_CheckButtonLayer*>(LookUpWindow(scene, "CHECK", page));
}

void Report(const char* utf8Text, const char* caption) {
  platform::messageBox(platform::utf8ToCp932(utf8Text), caption, platform::mb::Ok);
}

}  // namespace

void AdoptNewWindow(scene::C_BaseScene& scene, std::string_view type, C_WindowLayer& w) {
  if (type != "SEL") return;
  if (auto* selection = dynamic_cast<C_SelWindowLayer*>(&w)) {
    selection->owner = &scene;
    selection->container = &scene;
    selection->choiceHandler = StartJumpEvent;
  }
  scene.onSelectionWindowMade();
}

// ---- Selections ------------------------------------------------------------------------------------

void ClearSelect(PendingChoices& pending, scene::C_BaseScene* scene, int32_t page) {
  pending.clear();
  C_SelWindowLayer* w = scene ? Selection(*scene, page) : nullptr;
  if (!w) return;
  w->setText(std::string(), false);
  w->variants.clear();
}

void AddSelect(PendingChoices& pending, std::string_view text, std::string_view file, std::string_view label) {
  if (pending.texts.size() >= kMaxPendingChoices) return;
  pending.texts.emplace_back(text);
  pending.targets.push_back(Target(file, label));
}

void CommitSelect(PendingChoices& pending, scene::C_BaseScene& scene, int32_t page) {
  C_SelWindowLayer* w = Selection(scene, page);
  if (!w) {
    Report("Luaスクリプトで、存在しない選択肢ウィンドウをコミットしようとした", "ERROR:ScCommitSelect");
    return;
  }
  if (pending.texts.empty()) return;
  std::string joined;
  for (size_t i = 0; i < pending.texts.size(); ++i) {
    if (i != 0) joined += '\n';
    joined += pending.texts[i];
  }
  w->setText(joined, false);
  w->variants = pending.targets;
  pending.targets.clear();
}

void SelectActive(scene::C_BaseScene& scene, int32_t page) {
  C_SelWindowLayer* w = Selection(scene, page);
  if (!w) {
    Report("Luaスクリプトで、存在しない選択肢ウィンドウをアクティブにしようとした", "ERROR:ScSelectActive");
    return;
  }
  w->setActive(true);
  scene.onSelectionActive();
}

void SelectNotActive(scene::C_BaseScene& scene, int32_t page) {
  C_SelWindowLayer* w = Selection(scene, page);
  if (!w) {
    Report("Luaスクリプトで、存在しない選択肢ウィンドウをコミットしようとした", "ERROR:ScSelectNotActive");
    return;
  }
  w->setActive(false);
}

// ---- Widgets ---------------------------------------------------------------------------------------

void SetButtonEvent(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view file,
                    std::string_view label, bool call) {
  const char* caption = "ERROR:ScSetButtonEvent";
  const char* noButton = "Luaスクリプトで、存在しないボタンにイベントを設定しようとした";
  WidgetEvent* event = nullptr;
  C_WindowLayer* w = nullptr;
  if (type == "BTN" || type == "D_BTN") {
    if (type == "D_BTN" ? page > 1 : !LookUpWindow(scene, type, page)) {
      Report(noButton, caption);
      return;
    }
    // The dialog's buttons answer once the dialog set is part of the engine.
    auto* button = dynamic_cast<C_ButtonLayer*>(LookUpWindow(scene, type, page));
    if (!button) return;
    event = &button->event;
    w = button;
  } else if (type == "CHECK") {
    C_CheckButtonLayer* check = CheckButton(scene, page);
    if (!check) {
      Report("Luaスクリプトで、存在しないチェックボタンにイベントを設定しようとした", caption);
      return;
    }
    event = &check->event;
    w = check;
  } else {
    Report("イベントを設定しようとした対象の記載ミス", caption);
    return;
  }
  w->owner = &scene;
  event->owner = &scene;
  event->handler = call ? StartCallEvent : StartJumpEvent;
  w->variants.assign(1, Target(file, label));
}

C_SlideLayer* SliderForPage(scene::C_BaseScene& scene, int32_t page) {
  if (page < 0) return nullptr;
  auto& list = scene.slideWindows;
  if (size_t(page) < list.size()) return dynamic_cast<C_SlideLayer*>(list[size_t(page)].get());
  // Like ScSetWindow's new windows, one new slider whatever page was asked.
  std::unique_ptr<C_WindowLayer> made = MakeWindow("SLIDE");
  if (!made) return nullptr;
  made->owner = &scene;
  C_WindowLayer* slider = made.get();
  list.push_back(std::move(made));
  return dynamic_cast<C_SlideLayer*>(slider);
}

void SetSlideData(scene::C_BaseScene& scene, int32_t page, float width, float height, float x, float y, bool vertical,
                  float thumbWidth, float thumbHeight, int32_t min, int32_t max, int32_t init) {
  C_SlideLayer* slider = SliderForPage(scene, page);
  if (!slider) return;
  slider->setWindow(kind::Slider, int32_t(width), int32_t(height), x, y, false, false);
  slider->setSlideData(thumbWidth, thumbHeight, min, max, vertical, init);
  slider->children.clear();
  slider->owner = &scene;
}

void SetSlideColour(scene::C_BaseScene& scene, int32_t page, const SlideColours& colours) {
  C_SlideLayer* slider = SliderForPage(scene, page);
  if (!slider) return;
  slider->baseNorm = colours.baseNorm;
  slider->baseAct = colours.baseAct;
  slider->switchNorm = colours.switchNorm;
  slider->switchAct = colours.switchAct;
}

void GetSlideValue(script::FlagStore& flags, scene::C_BaseScene& scene, int32_t page, std::string_view flag) {
  if (C_SlideLayer* slider = SliderForPage(scene, page)) flags.setNumber(flag, slider->getValue());
}

void SetSlideValue(scene::C_BaseScene& scene, int32_t page, int64_t value) {
  if (C_SlideLayer* slider = SliderForPage(scene, page)) slider->setValue(value);
}

void SetCheckButtonChecked(scene::C_BaseScene& scene, int32_t page, bool checked) {
  if (C_CheckButtonLayer* check = CheckButton(scene, page)) check->checked = checked;
}

void GetCheckButtonChecked(script::FlagStore& flags, scene::C_BaseScene& scene, int32_t page, std::string_view flag) {
  if (C_CheckButtonLayer* check = CheckButton(scene, page)) flags.setString(flag, check->checked ? "true" : "false");
}

bool CheckedFromText(std::string_view text) { return text == "true" || text == "True" || text == "TRUE"; }

}  // namespace window
