// The whole-screen fade drawn over everything, and the layers' device resources.
#pragma once

namespace layer {

// The fade overlay over everything (each scene's render, after its own drawing).
void DrawScreenFade();

// The layers' share of the render device: the character render target and the shared quad,
// made once the device exists (pass to engine::CreateRenderDevice).
void createDeviceResources();

}  // namespace layer
