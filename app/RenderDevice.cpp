// Placeholder render device: frames run and present nothing until the OpenGL device lands.
#include "app/RenderDevice.h"

#include "app/C_GameProg.h"
#include "app/Engine.h"
#include "scene/C_BaseScene.h"

namespace app {

bool CreateRenderDevice() { return true; }

void RenderFrame() {
  C_GameProg* prog = engine().gameProg;
  if (prog && prog->currentScene) prog->currentScene->render();
}

bool DeviceUsable() { return true; }

void DestroyRenderDevice() {}

void SimulateDeviceLoss() {}

void SetBeforePresentHook(std::function<void()> /*hook*/) {}

bool ReadBackBuffer(std::vector<uint8_t>& /*rgba*/, int& /*width*/, int& /*height*/) { return false; }

}  // namespace app
