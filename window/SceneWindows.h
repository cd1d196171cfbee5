// The script scene's windows: the lists by type name, the window lookup, and the windows' places
// in the scene's update, render, skipping, window hiding and device loss.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace scene {
class C_BaseScene;
}

namespace window {

class C_WindowLayer;
class C_MultiWindowSet;

// A window list of the scene, which owns its windows.
using WindowLayers = std::vector<std::unique_ptr<C_WindowLayer>>;

// The kind code a type name gives ("MES" 0, "SEL" 1, "DIALOG" and "D_BTN" 2, "PLN" 3, "BTN" 4,
// "HIST" 5, "CHECK" 7); -1 for any other name. Names are compared exactly.
int32_t WindowTypeCode(std::string_view type);

// The scene's list for "MES", "SEL", "PLN", "BTN", "SLIDE" or "CHECK"; nullptr for other names.
WindowLayers* WindowList(scene::C_BaseScene& scene, std::string_view type);

// LookUpWindow: the page-th window of a list type, or nullptr when page is not below the list's
// length; the history window, the dialog set and its buttons for "HIST", "DIALOG" and "D_BTN";
// nullptr for any other name.
C_WindowLayer* LookUpWindow(scene::C_BaseScene& scene, std::string_view type, int32_t page);

// A new window for a list type's class, or nullptr while that class is not part of the engine.
std::unique_ptr<C_WindowLayer> MakeWindow(std::string_view type);

// ---- The scene's life ----
// The window set the scene's constructor makes (empty, not shown).
std::unique_ptr<C_MultiWindowSet> CreateWindowSet();
// Deletes every window of the six lists, the history, the window set and the dialog.
void DestroySceneWindows(scene::C_BaseScene& scene);
// The window set is visible, loaded and not transparent (the scene's dialogShown).
bool WindowSetShown(const scene::C_BaseScene& scene);

// ---- The update's mouse dispatch (each in its place of the order) ----
// The window set: may take the mouse, and takes all of it while shown; not counted.
void UpdateWindowSet(scene::C_BaseScene& scene, bool& mouseTaken);
// "MES" and "PLN" windows: asked for the mouse while nobody took it, never take it. Each returns
// how many windows still animate.
int32_t UpdateMessageWindows(scene::C_BaseScene& scene, bool mouseTaken);
int32_t UpdatePlainWindows(scene::C_BaseScene& scene, bool mouseTaken);

// The update's window hiding: Space toggles, the right button shows, and no message or plain
// window showing shows them again; every "MES" and "PLN" window is made visible or not.
void ToggleWindowHiding(scene::C_BaseScene& scene);

// The render's window pass: "MES", "SEL", "PLN", "BTN", "CHECK" (typing, then draw), "SLIDE"
// (draw), the history window, the window set and the dialog.
void DrawSceneWindows(scene::C_BaseScene& scene);

// ---- The script step ----
// Skip or click on a busy screen: every "MES" window finishes its fades and moves, and one that
// still types shows the rest of its page.
void FinishMessageWindows(scene::C_BaseScene& scene);
// Advance from a still screen: every "MES" window's page is cleared.
void ClearMessagePages(scene::C_BaseScene& scene);
// Auto mode: a "MES" window has typed its page to the end.
bool AnyMessageWindowAtEndOfText(const scene::C_BaseScene& scene);

// ---- Device loss ----
void ReleaseWindowTextTargets(scene::C_BaseScene& scene);
void RestoreWindowTextTargets(scene::C_BaseScene& scene);

}  // namespace window
