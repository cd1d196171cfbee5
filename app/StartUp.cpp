// The start-up sequence: instance lock, archives, configuration, the two questions, window,
// program object, render device, frame loop and shutdown.
#include "app/StartUp.h"

#include <cstdlib>
#include <ctime>
#include <future>
#include <string>

#include "app/C_GameProg.h"
#include "app/Config.h"
#include "app/FrameLoop.h"
#include "archive/ArchiveSet.h"
#include "audio/Device.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "layer/PicturePrefetch.h"
#include "layer/ScreenFadeOverlay.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "script/ScriptPictures.h"

namespace app {

int RunGame(platform::Platform& platform, const RunOptions& options) {
  engine::Engine& e = engine::context();
  e.platform = &platform;
  platform::setCurrent(&platform);
  platform::keepLargeBlocksOutOfTheHeap();

  // One instance only; the lock is held until the process ends.
  switch (platform::acquireInstanceLock(options.lockFilePath)) {
    case platform::LockResult::Failed:
      platform::messageBox(CP932("Kestrelmooreの起動に失敗しました"), CP932("エラー"), platform::mb::Ok);
      return kStartUpFailed;
    case platform::LockResult::AlreadyHeld:
      platform::messageBox(CP932("Kestrelmooreはすでに起動しています"), CP932("二重起動"), platform::mb::Ok);
      return kStartUpFailed;
    case platform::LockResult::Acquired: break;
  }

  // Exit cleanup is registered before anything is opened, then the signal handlers.
  std::atexit(archive::CloseArchivesAtExit);
  platform::installSignalHandlers();

  // Random numbers seeded with the wall-clock seconds (the 3D matrices start as identity).
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  // Archives first, then the loose files of the working directory.
  // A view that cannot be unmapped ends start-up at once without a message.
  if (!archive::OpenArchives()) return kStartUpFailed;
  archive::BuildLooseFileIndex();

  // The configuration script, read before the window, which takes its always-on-top flag.
  ReadGlobalData();

  // The first script's pictures are decoded on a worker while the questions are up and the
  // window and the render device are made.
  layer::PrefetchPictures(script::PicturesNamedInScript("0first.evt"));

  // The audio device the sound player plays through (the silent one headless); it outlives
  // the program object, whose sound buffers live in it. It is opened on a worker while the
  // questions are up and the window and the render device are made: a sound card takes a while
  // to open, or to be found missing (the sound library then waits for its device watcher to
  // stop), and no device needs another. Nothing uses it before the render device exists.
  std::future<std::unique_ptr<audio::Device>> audioOpening =
      std::async(std::launch::async, [&platform] { return audio::createDevice(platform); });

  // The two start-up questions: screen size and frame rate, then full screen or windowed.
  // Where the platform asks them while the game goes on (a helper process shows the boxes on the
  // desktop), the window, the render device and the first script's textures are made meanwhile
  // for the usual answers (normal spec, windowed), still hidden; other answers change or replace
  // them below.
  const std::string lowSpecText = CP932("低スペックモード（800×600、30フレーム/秒）で起動しますか？");
  const std::string fullScreenText = CP932("フルスクリーンで起動しますか？");
  const std::string questionCaption = CP932("起動モード");
  platform.beginStartupQuestions(lowSpecText, fullScreenText, questionCaption);
  struct PreparedDeviceGuard {
    // A device readied ahead and never taken goes before the window it was made on.
    ~PreparedDeviceGuard() { engine::DiscardPreparedRenderDevice(); }
  } preparedDeviceGuard;
  {
    platform::WindowConfig likely;
    likely.clientWidth = 1024;
    likely.clientHeight = 768;
    likely.fullScreen = false;
    likely.alwaysOnTop = e.alwaysOnTop;
    if (platform.window().prepare(likely)) {
      engine::PrepareRenderDevice(likely.clientWidth, likely.clientHeight);
      layer::MakePrefetchedTextures();
    }
  }

  const bool lowSpec = platform.askStartupQuestion(platform::StartupQuestion::LowSpec, lowSpecText, questionCaption);
  if (lowSpec) {
    e.screenWidth = 800;
    e.screenHeight = 600;
    e.screenScale = 0.78125f;
    e.frameInterval = 34;
  } else {
    e.screenWidth = 1024;
    e.screenHeight = 768;
    e.screenScale = 1.0f;
    e.frameInterval = 17;
  }
  e.screenAspect = 4.0f / 3.0f;
  const bool fullScreen =
      platform.askStartupQuestion(platform::StartupQuestion::FullScreen, fullScreenText, questionCaption);
  e.windowed = !fullScreen;

  // The window, at the size the questions chose.
  platform::WindowConfig config;
  config.clientWidth = e.screenWidth;
  config.clientHeight = e.screenHeight;
  config.fullScreen = !e.windowed;
  config.alwaysOnTop = e.alwaysOnTop;
  if (!platform.window().create(config)) {
    platform::messageBox(CP932("アプリケーションの初期化に失敗"), "ERROR", platform::mb::Ok | platform::mb::IconError);
    return kStartUpFailed;
  }

  // Random numbers seeded again, now from the millisecond clock.
  std::srand(platform.clock().nowMs());

  // The program object; its init waits for the render device.
  auto program = std::make_unique<C_GameProg>();

  // The render device; its failure skips to the shutdown.
  const bool renderDevice = engine::CreateRenderDevice(layer::createDeviceResources);
  std::unique_ptr<audio::Device> audioDevice = audioOpening.get();
  e.audioDevice = audioDevice.get();
  const bool started = renderDevice && (!options.onDeviceCreated || options.onDeviceCreated());
  if (started) {
    // The window stays hidden until the first frame is drawn (see RenderFrame): it appears
    // with the scene's picture instead of a black area while the scene loads.
    e.windowShown = false;
    // The shared engine objects and the first scene, which need the device.
    program->init();
    // The first frame's elapsed time is counted from now, not from start-up.
    e.frameStep = 1.0f;
    e.frameNow = e.lastFrameTime = platform.clock().nowMs();
    // Frames until the window's Quit arrives.
    RunFrameLoop(*program);
  }

  // Shutdown: the program object goes before the audio device its sound buffers live in.
  layer::StopPicturePrefetch();
  program.reset();
  e.audioDevice = nullptr;
  audioDevice.reset();
  platform::setCurrent(nullptr);
  e.platform = nullptr;
  return started ? 0 : kStartUpFailed;
}

}  // namespace app
