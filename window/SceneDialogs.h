// The dialog set and the help on the window set in a scene's frame: creation, the mouse (the
// dialog first, taking every click while shown), the answer, the draw and the help's layout.
#pragma once

#include <cstdint>
#include <memory>

namespace scene {
class C_BaseScene;
}

namespace window {

class C_DialogSet;
class C_MultiWindowSet;

// The dialog set a scene's constructor makes: closed, not shown, owned by the scene.
std::unique_ptr<C_DialogSet> CreateDialogSet(scene::C_BaseScene& scene);

// The scene's dialogShown: the dialog or the window set is visible, loaded and not transparent.
bool DialogsShown(const scene::C_BaseScene& scene);

// The dialog's place in the mouse dispatch, then the answer: "ＹＥＳ" destroys the main window
// (the program ends), "ＮＯ" closes the dialog over 50 ms.
void UpdateDialog(scene::C_BaseScene& scene, bool& mouseTaken);

// The dialog's drawBoth at depth 0.5.
void DrawDialog(scene::C_BaseScene& scene);

// ---- The help on the window set ----
// Lays the help out on the set, built anew: nothing (false) while the set is showing or open.
bool LayOutHelp(C_MultiWindowSet& set);
// Opens the laid-out help over 100 ms, with every window bound to it.
void OpenHelpSet(C_MultiWindowSet& set);

}  // namespace window
