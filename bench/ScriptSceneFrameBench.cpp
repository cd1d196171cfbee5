// One script-scene frame on the headless renderer at 1024 x 768: a full-screen background, four
// 512 x 1024 plain characters with alpha and a running screen fade, update + render (the
// renderer is waited for, nothing is read back). Drawn in full every frame, or as the engine
// runs: a still scene (nothing to draw), or one where only a small coin turns.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "chara/PlainCharas.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "engine/ScreenFade.h"
#include "gfx/Image.h"
#include "gfx/SpriteBatch.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "scene/C_SceneSandBox.h"

namespace {

namespace fs = std::filesystem;

void writePng(const fs::path& path, const gfx::Image& image) {
  std::vector<uint8_t> png;
  gfx::encodePng(image, png);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

gfx::Image picture(int32_t w, int32_t h, bool alphaShape) {
  gfx::Image image;
  image.width = w;
  image.height = h;
  image.pixels.resize(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t a = 255;
      if (alphaShape) {
        // An ellipse with a soft edge, transparent outside: a character's outline.
        const float dx = (x - w / 2.0f) / (w / 2.0f), dy = (y - h / 2.0f) / (h / 2.0f);
        const float d = std::sqrt(dx * dx + dy * dy);
        a = d >= 1.0f ? 0u : d > 0.9f ? uint32_t((1.0f - d) * 10.0f * 255.0f) : 255u;
      }
      image.pixels[size_t(y) * size_t(w) + size_t(x)] =
          a << 24 | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40;
    }
  return image;
}

void BM_ScriptSceneFrame(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("km-bench-frame-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ofstream("lambart.fx") << "// lambert\n";
  std::ofstream("ShadowMap.fx") << "// shadow map\n";
  gfx::Image white;  // the fade overlay's picture: plain white, as "white.bmp" is
  white.width = white.height = 32;
  white.pixels.assign(32 * 32, 0xFFFFFFFFu);
  writePng("white.png", white);
  writePng("bg.png", picture(1024, 768, false));
  writePng("chara.png", picture(512, 1024, true));

  engine::resetEngine();
  archive::resetArchiveSet();
  engine::Engine& e = engine::context();
  e.screenWidth = 1024;
  e.screenHeight = 768;
  e.screenScale = 1.0f;
  e.windowed = true;
  const int parts = int(state.range(0));
  e.render.presentParams.redrawEveryFrame = (parts & 16) != 0;
  if (!engine::CreateRenderDevice(layer::createDeviceResources)) {
    state.SkipWithError("no render device");
    return;
  }
  state.SetLabel(e.device->info().renderer);
  e.textureFact = new layer::C_TextureFact();
  layer::C_SpriteFact::resetCountsForTests();
  e.spriteFact = new layer::C_SpriteFact();
  e.spriteFact->init();
  e.fadeOverlay = new layer::C_BaseCharaLayer();
  e.fadeOverlay->setPicture("white.png", nullptr, false);

  auto* scene = new scene::C_SceneSandBox();
  if (parts & 1) chara::SetBackground(*scene, "bg.png", -1, -1, 0, 0, 0, 0);
  if (parts & 2)
    for (int i = 0; i < 4; ++i) chara::SetPlainChara(*scene, i, "chara.png", -384.0f + 256.0f * i, 0, 0);
  // A fade-out half way (alpha 127) that outlasts the run.
  if (parts & 4) {
    engine::StartScreenFade(1, 1 << 30, 0x000000);
    e.fade.fadeStarted = true;
    e.fade.fadeRemaining = 1 << 29;
  }
  // The click-wait coin: a 32 x 32 picture turning a little every frame, drawn last.
  gfx::TexturePtr coin;
  if (parts & 8) {
    e.device->createTexture(32, 32, 1, 0, gfx::Pool::Managed, coin);
    gfx::LockedRect lr;
    if (coin && coin->lockRect(0, lr) == gfx::result::Ok) {
      const gfx::Image c = picture(32, 32, true);
      for (int32_t y = 0; y < 32; ++y) std::memcpy(lr.bits + y * lr.pitch, &c.pixels[size_t(y) * 32], 32 * 4);
      coin->unlockRect(0);
    }
    engine::SetBeforePresentHook([&e, &coin] {
      gfx::SpriteBatch& sprite = *e.render.debugSprite;
      sprite.begin(gfx::spriteflag::AlphaBlend);
      const gfx::Vec3 centre{16, 16, 0};
      sprite.setTransform(gfx::Matrix::rotationZ(float(e.frameNow % 1700) * 0.0037f) *
                          gfx::Matrix::translation(960, 700, 0));
      sprite.draw(coin, nullptr, &centre, nullptr, 0xFFFFFFFFu);
      sprite.end();
    });
  }
  engine::PadRecord pad;
  e.frameNow = 1000;
  e.frameDeltaMs = 17;

  // The work of all threads (the renderer's included): steadier than the wall time when other
  // programs share the cores.
  auto cpuMs = [] {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
  };
  const double cpuStart = cpuMs();
  for (auto _ : state) {
    e.frameNow += 17;
    scene->update(&pad);
    engine::StepScreenFade();
    scene->render();
    e.device->finish();
  }
  state.counters["cpu_ms_per_frame"] = (cpuMs() - cpuStart) / double(state.iterations());
  const gfx::FrameStats stats = e.device->frameStats();
  state.counters["shown"] = double(stats.shown);
  state.counters["unchanged"] = double(stats.unchanged);
  engine::SetBeforePresentHook(nullptr);
  coin.reset();

  delete scene;
  delete e.fadeOverlay;
  e.fadeOverlay = nullptr;
  layer::destroyCharaRenderTarget();
  layer::C_BaseLayer::releaseQuadBuffer();
  engine::ReleaseDebugObjects();
  engine::ReleaseEffects();
  delete e.textureFact;
  e.textureFact = nullptr;
  delete e.spriteFact;
  e.spriteFact = nullptr;
  engine::DestroyRenderDevice();
  fs::current_path(previous);
  fs::remove_all(dir);
}
// Arg: which parts are shown (1 background, 2 the four characters, 4 the fade, 8 the turning
// coin) and 16 for a full redraw every frame. 23 is the full frame the goal is set for, 7 the
// idle frame while a page waits, 15 the frame where only the coin turns; 17..20 tell where the
// full frame's time goes.
BENCHMARK(BM_ScriptSceneFrame)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime()
    ->Arg(23)
    ->Arg(7)
    ->Arg(15)
    ->Arg(17)
    ->Arg(18)
    ->Arg(20)
    ->Arg(16);

}  // namespace
