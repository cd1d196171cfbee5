// The script scene's history mode: ScOpenHistory and ScCloseHistory, and the frame in which the
// open history takes the mouse and drives its parts (scroll bar, wheel, voice buttons, right
// button).
#pragma once

#include <cstdint>

namespace scene {
class C_BaseScene;
}
namespace script {
class HistoryRecord;
}

namespace window {

// Only while the scene waits for the player (state 3) and its history window exists and is not
// open: the state is saved and becomes 1, the top row shows the newest entry, and the window and
// its parts open over 200 ms.
void OpenHistory(scene::C_BaseScene& scene, const script::HistoryRecord& record);
// Only while the history is open: the saved state comes back and the window closes over 200 ms.
void CloseHistory(scene::C_BaseScene& scene);

// Whether the history is open or still on screen (it then takes every click).
bool HistoryShown(scene::C_BaseScene& scene);

// The history's place in the scene's mouse dispatch: while shown it takes the mouse (the wheel
// and the scroll bar move the top row, a voice button replays its row's voice, the right button
// closes it); the window is updated. Returns 1 while it animates.
int32_t UpdateHistory(scene::C_BaseScene& scene, bool& mouseTaken);

}  // namespace window
