// The operations of the selection and widget Sc functions and tags: choices gathered and
// committed to a selection window, widget events, sliders and check buttons.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "window/PendingChoices.h"

namespace scene {
class C_BaseScene;
}
namespace script {
class FlagStore;
}

namespace window {

class C_WindowLayer;
class C_SlideLayer;

// At most this many choices wait for a commit; later ScAddSelect calls add nothing.
constexpr size_t kMaxPendingChoices = 1024;

// A new window of a list type joins the scene: a selection window gets the scene as its
// container and the commit's jump, and the scene drops the pending choices.
void AdoptNewWindow(scene::C_BaseScene& scene, std::string_view type, C_WindowLayer& w);

// ---- Selections (the pending choices are the event system's) ----
// Empties the pending lists; selection window `page`, when it exists, gets no choices.
void ClearSelect(PendingChoices& pending, scene::C_BaseScene* scene, int32_t page);
void AddSelect(PendingChoices& pending, std::string_view text, std::string_view file, std::string_view label);
// The pending texts, one per line, and a copy of the targets go to selection window `page`; the
// targets are emptied. A missing window shows "...コミットしようとした" (caption ERROR:ScCommitSelect).
void CommitSelect(PendingChoices& pending, scene::C_BaseScene& scene, int32_t page);
// Activation: the scene's onSelectionActive marks the resume point and runs the snapshot hook. A
// missing window shows its message with the caption of ScSelectActive / ScSelectNotActive.
void SelectActive(scene::C_BaseScene& scene, int32_t page);
void SelectNotActive(scene::C_BaseScene& scene, int32_t page);

// ---- Widgets ----
// "BTN", "CHECK" or "D_BTN" window `page` starts file?label as a jump (or a call) when used.
// Missing widgets and other types show their messages (caption ERROR:ScSetButtonEvent).
void SetButtonEvent(scene::C_BaseScene& scene, std::string_view type, int32_t page, std::string_view file,
                    std::string_view label, bool call);
// Slider `page`, appended when the page is beyond the list (nullptr for a negative page).
C_SlideLayer* SliderForPage(scene::C_BaseScene& scene, int32_t page);
// x, y: the slider's centre in layout units from the screen centre.
void SetSlideData(scene::C_BaseScene& scene, int32_t page, float width, float height, float x, float y, bool vertical,
                  float thumbWidth, float thumbHeight, int32_t min, int32_t max, int32_t init);
struct SlideColours {
  uint32_t baseNorm, baseAct, switchNorm, switchAct;
};
void SetSlideColour(scene::C_BaseScene& scene, int32_t page, const SlideColours& colours);
// The slider's value into a number flag (prefix rule).
void GetSlideValue(script::FlagStore& flags, scene::C_BaseScene& scene, int32_t page, std::string_view flag);
void SetSlideValue(scene::C_BaseScene& scene, int32_t page, int64_t value);
// Check button `page` (nothing when it does not exist); its state as the string "true" or
// "false" in a flag.
void SetCheckButtonChecked(scene::C_BaseScene& scene, int32_t page, bool checked);
void GetCheckButtonChecked(script::FlagStore& flags, scene::C_BaseScene& scene, int32_t page, std::string_view flag);
// "true", "True" and "TRUE" check; any other text unchecks.
bool CheckedFromText(std::string_view text);

}  // namespace window
