// The program object: init and destroy orders, the per-frame update, the scene switch.
#include "app/C_GameProg.h"
#include "app/RenderFrame.h"

#include <cstdlib>

#include "engine/Input.h"
#include "engine/RenderDevice.h"
#include "engine/SceneIds.h"
#include "engine/ScreenFade.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "scene/SceneFactory.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "sound/C_SoundPlayer.h"
#include "text/GlyphRasterizer.h"

namespace app {

C_GameProg::C_GameProg() { engine::context().gameProg = this; }

void C_GameProg::init() {
  engine::Engine& e = engine::context();
  // The event system may exist only once.
  if (e.eventMain) {
    platform::messageBox(CP932("元クラスが複数回生成された可能性"), "ERROR", platform::mb::Ok);
    std::abort();
  }
  // The two Lua states with their libraries, and the Sc functions.
  services.lua = publish(
      &engine::Engine::lua, std::make_unique<script::LuaHost>(), +[](script::LuaHost* host) { host->close(); });
  e.lua->create();
  // The event system, on the script state just made.
  services.eventMain = publish(&engine::Engine::eventMain, std::make_unique<script::C_EventMain>(e.lua->scriptState));
  e.eventMain->init();
  // The texture factory.
  services.textureFact = publish(&engine::Engine::textureFact, std::make_unique<layer::C_TextureFact>());
  e.textureFact->init();
  // The sprite factory (a second one ends the process).
  services.spriteFact = publish(&engine::Engine::spriteFact, std::make_unique<layer::C_SpriteFact>());
  e.spriteFact->init();
  // The glyph rasteriser the windows make their fonts with (without it they type no text).
  services.glyphRasterizer = publish(&engine::Engine::glyphRasterizer, text::GlyphRasterizer::create());
  // The sound player.
  services.soundPlayer = publish(&engine::Engine::soundPlayer, std::make_unique<sound::C_SoundPlayer>());
  e.soundPlayer->init();
  // Probe the joystick (its capabilities are not kept).
  e.platform->input().joystick(joystick);
  // From here on the program counts as initialised.
  initialized = true;
  // "white.bmp", held until exit, and the screen-fade overlay showing it.
  services.white = e.textureFact->acquire("white.bmp");
  services.fadeOverlay = publish(&engine::Engine::fadeOverlay, std::make_unique<layer::C_BaseCharaLayer>());
  e.fadeOverlay->setPicture("white.bmp", nullptr, false);
  // The script scene exists before the first frame.
  nextSceneId = scene::SCENE_SANDBOX;
  switchScene();
}

void C_GameProg::switchScene() {
  engine::Engine& e = engine::context();
  if (currentScene) {
    currentScene->release();
    currentScene.reset();
    e.currentScene = nullptr;
  }
  currentScene = scene::CreateScene(nextSceneId);
  e.currentScene = currentScene.get();
  currentSceneId = nextSceneId;
  nextSceneId = -1;
  if (currentScene) currentScene->init();
  // Loading time is not counted as elapsed time.
  e.frameStep = 1.0f;
  e.lastFrameTime = e.platform->clock().nowMs();
}

int32_t C_GameProg::updateIdle() {
  engine::Engine& e = engine::context();
  // The sound player's per-frame update.
  if (e.soundPlayer) e.soundPlayer->Update();
  // Input, only while the window is active.
  pad = engine::PollInput();
  // Scenes are neither switched nor updated while the device is lost.
  if (DeviceUsable()) {
    if (nextSceneId != -1) switchScene();
    if (currentScene) nextSceneId = currentScene->update(&pad);
    engine::StepScreenFade();
  }
  // The frame's mouse events are spent, whether or not a scene saw them.
  engine::ClearMouseEvents();
  return 0;
}

void C_GameProg::draw() { RenderFrame(); }

C_GameProg::~C_GameProg() {
  engine::Engine& e = engine::context();
  // The character render target with its two resources, then the layers' shared quad.
  layer::destroyCharaRenderTarget();
  layer::C_BaseLayer::releaseQuadBuffer();
  if (currentScene) {
    currentScene->release();
    currentScene.reset();
    e.currentScene = nullptr;
  }
  // The glyph rasteriser, the debug objects, the fade overlay and its "white.bmp" reference,
  // the event system, the Lua host, the sound player, the effects, both factories and the
  // device follow as the services are destroyed.
  if (e.gameProg == this) e.gameProg = nullptr;
}

}  // namespace app
