// The selection windows' and widgets' places in the script scene's mouse dispatch and update.
// Each asks its windows for the mouse while nobody took it (mouseTaken is set by the one that
// takes it), updates every window and returns how many still animate.
#pragma once

#include <cstdint>

namespace scene {
class C_BaseScene;
}

namespace window {

// "SEL" windows.
int32_t UpdateSelectionWindows(scene::C_BaseScene& scene, bool& mouseTaken);
// "BTN" windows: asked only while the scene has no script or waits for the player (states 0
// and 3); in the other states an enabled button is not asked and shows its normal cell.
int32_t UpdateButtons(scene::C_BaseScene& scene, bool& mouseTaken);
// "CHECK" windows (they never take the mouse).
int32_t UpdateCheckButtons(scene::C_BaseScene& scene, bool& mouseTaken);
// "SLIDE" windows.
int32_t UpdateSliders(scene::C_BaseScene& scene, bool& mouseTaken);

}  // namespace window
