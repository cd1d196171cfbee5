// The script scene: settings, the first script, the frame update and render.
#include "scene/C_SceneSandBox.h"

#include "chara/PlainCharas.h"
#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "engine/Input.h"
#include "engine/RenderDevice.h"
#include "engine/ScreenFade.h"
#include "gfx/Device.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/ScriptSettings.h"
#include "script/C_EventMain.h"
#include "script/ScriptStepHooks.h"
#include "window/SceneDialogs.h"
#include "window/SceneHistory.h"
#include "window/SceneWidgets.h"
#include "window/SceneWindows.h"

namespace scene {

C_SceneSandBox::~C_SceneSandBox() = default;

void C_SceneSandBox::init() {
  // The script settings first: the first script's frame already uses them.
  ReadScriptSettings(*this);
  // A new script scene always starts "0first.evt".
  if (eventSystem) {
    if (!eventSystem->scriptRunning()) eventSystem->StartScript("0first.evt", "", this);
    eventSystem->EventFrameUpdate();
  }
  // The camera comes with the 3D scene's work.
}

void C_SceneSandBox::release() {
  if (eventSystem) eventSystem->ResetEventSystem();
}

int32_t C_SceneSandBox::update(const engine::PadRecord* padArg) {
  const engine::PadRecord& pad = *padArg;
  // dialogShown comes from the dialog and the window set; Control held means skip.
  dialogShown = window::DialogsShown(*this);
  skip = engine::KeyDown(platform::vk::Control);
  // The members take the mouse and animate before the script looks at the frame.
  const MemberFrame members = updateMembers();
  // The script step sees this frame's busy count and mouse.
  scriptStep(members);
  // Window hiding (Space, right button).
  window::ToggleWindowHiding(*this);
  // Remember the pad for edge detection.
  lastPad = pad;
  // A pending scene-change request.
  if (nextScene == -1) return -1;
  const int32_t next = nextScene;
  nextScene = -1;
  return next;
}

MemberFrame C_SceneSandBox::updateMembers() {
  MemberFrame frame;
  // In order, each member is offered the mouse until one takes it (mouseTaken), every member
  // is updated, and the counted ones that still animate add to animatingCount: background,
  // dialog (and its result), window set, history, "SEL", "BTN", the cursor reset to 103,
  // solid characters, plain characters, "CHECK", "MES", "PLN", "SLIDE".
  frame.animatingCount += chara::UpdateBackground(*this);
  window::UpdateDialog(*this, frame.mouseTaken);
  window::UpdateWindowSet(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateHistory(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateSelectionWindows(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateButtons(*this, frame.mouseTaken);
  // The normal pointer; characters below may choose the one for clickable parts.
  engine::context().cursorId = 103;
  frame.animatingCount += chara::UpdateSolidCharas(*this, frame.mouseTaken, dialogShown);
  frame.animatingCount += chara::UpdatePlainCharas(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateCheckButtons(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateMessageWindows(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdatePlainWindows(*this, frame.mouseTaken);
  frame.animatingCount += window::UpdateSliders(*this, frame.mouseTaken);
  return frame;
}

void C_SceneSandBox::scriptStep(const MemberFrame& members) {
  if (!eventSystem) return;
  script::C_EventMain& events = *eventSystem;
  engine::Engine& e = engine::context();

  // A running fade keeps the scene busy.
  const int32_t busyCount = members.animatingCount + (engine::ScreenFadeRunning() ? 1 : 0);
  if (busyCount != 0 && state == state::Still) setState(state::Busy);
  if (busyCount == 0 && state == state::Busy && events.waitTime < 1) setState(state::Still);

  if (!events.scriptRunning() || members.mouseTaken) return;
  // While the windows are hidden a left click neither advances nor completes text; skip works.
  const bool clicked = (e.mouse.mouseEvents & engine::mouse::LeftDown) != 0 && windowsShown;
  if (clicked || skip) {
    if (state == state::Busy) {
      for (auto finish : script::scriptStepHooks().finishAnimations) finish(*this);
    } else if (state == state::Still && !dialogShown) {
      for (auto clear : script::scriptStepHooks().clearMessagePages) clear(*this);
      if (skipWaitTime) {
        events.waitTime = 0;
        autoTimer = -1;
        setState(state::Busy);
      }
      events.AdvanceScript();
    }
  } else if (autoMode) {
    if (autoTimer > 0) {
      autoTimer -= e.frameDeltaMs;
      if (autoTimer < 1) events.AdvanceScript();
    } else if (script::AnyMessageWindowAtEndOfText(*this) && !script::VoicePlaying()) {
      autoTimer = activeAutoTime;
    }
  }
  events.EventFrameUpdate();
}

int32_t C_SceneSandBox::render() {
  gfx::Device* device = engine::context().device;
  gfx::SpriteBatch* batch = layer::spriteBatch();
  if (!device || !batch) return 0;
  // A black frame, depth cleared.
  device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  device->beginScene();
  // The background, below everything.
  batch->begin(gfx::spriteflag::AlphaBlend);
  chara::DrawBackground(*this);
  device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  batch->end();
  // The solid characters, back to front.
  chara::DrawSolidCharas(*this);
  // The plain characters, then the windows above them in one batch, on a fresh depth buffer.
  device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  batch->begin(gfx::spriteflag::AlphaBlend);
  chara::DrawPlainCharas(*this);
  // The windows, typing their text as they go.
  window::DrawSceneWindows(*this);
  // The screen fade and the debug line go on top of everything.
  batch->end();
  device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  layer::DrawScreenFade();
  engine::DrawDebugText();
  device->endScene();
  // The capture surface now stands for the back buffer.
  captureSurface = device->getBackBuffer();
  if (!captureSurface)
    platform::messageBox(CP932("バックバッファからサーフェイスの取得に失敗"), CP932("エラー"), platform::mb::Ok);
  // The frame is shown; a lost device reports here.
  return engine::PresentFrame();
}

void C_SceneSandBox::onDeviceLost() {
  window::ReleaseWindowTextTargets(*this);
  chara::ReleaseSolidCharaBuffers(*this);
  layer::destroyCharaRenderTarget();
  captureSurface.reset();
}

void C_SceneSandBox::onDeviceReset() {
  window::RestoreWindowTextTargets(*this);
  chara::RecreateSolidCharaBuffers(*this);
  layer::createCharaRenderTarget();
}

}  // namespace scene
