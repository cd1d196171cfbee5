// The program object's draw: the current scene's render, then recovery of a lost device.
#pragma once

namespace gfx {
class Device;
}

namespace app {

// The current scene's render, then recovery when the device was lost.
void RenderFrame();

// Shows the window after the first frame the scene drew, and presents that frame into it.
void ShowWindowWithFirstFrame(gfx::Device& d);

// Recovery: lost-device notices, up to 5 Reset attempts, the common state again and the
// scene's reset handler.
void ResetDevice();

// TestCooperativeLevel == D3D_OK: scenes are switched and updated only then.
bool DeviceUsable();

}  // namespace app
