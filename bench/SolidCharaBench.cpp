// Four solid characters of 2,000 vertices each (a 40 x 50 grid, the upper half soft) kept
// shaking on the headless renderer at 1024 x 768: the frame's update (moves, the spring step and
// the vertex writes), alone and with the solid draw pass. The figure is the main thread's CPU
// time per frame.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "chara/C_SolidCharaLayer.h"
#include "chara/SolidCharas.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "gfx/Image.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "scene/C_BaseScene.h"

namespace {

namespace fs = std::filesystem;

std::string GridMesh(int cols, int rows) {
  std::string s = "vertexCount = " + std::to_string(cols * rows) +
                  ";\nindexCount = " + std::to_string((cols - 1) * (rows - 1) * 6) +
                  ";\nshakeRate = 1.0;\npicFileName = \"c.png\";\n";
  const float W = 0.3f, H = 0.7f;
  s += "position = {\n";
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      s += std::to_string(-W + 2 * W * c / (cols - 1)) + "f," + std::to_string(-H + 2 * H * r / (rows - 1)) + "f,0f,\n";
  s += "};\nindex = {\n";
  for (int r = 0; r < rows - 1; ++r)
    for (int c = 0; c < cols - 1; ++c) {
      const int bl = r * cols + c, br = bl + 1, tl = bl + cols, tr = tl + 1;
      for (int i : {br, bl, tl, tr, br, tl}) s += std::to_string(i) + ",";
      s += "\n";
    }
  s += "};\nuv = {\n";
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      s += std::to_string(float(c) / (cols - 1)) + "f," + std::to_string(1.0f - float(r) / (rows - 1)) + "f,\n";
  s += "};\nshakeWeights = {\n";
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) s += (r < rows / 2 ? "0f," : "-1f,");
  s += "\n};\n";
  return s;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

void BM_SolidCharas(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("km-bench-solid-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  std::ofstream("lambart.fx") << "// lambert\n";
  std::ofstream("ShadowMap.fx") << "// shadow map\n";
  std::ofstream("mesh.txt") << GridMesh(40, 50);
  gfx::Image image;
  image.width = 256;
  image.height = 512;
  image.pixels.assign(size_t(256 * 512), 0xFF8090A0u);
  std::vector<uint8_t> png;
  gfx::encodePng(image, png);
  std::ofstream("c.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));

  engine::resetEngine();
  archive::resetArchiveSet();
  engine::Engine& e = engine::context();
  e.screenWidth = 1024;
  e.screenHeight = 768;
  e.windowed = true;
  if (!engine::CreateRenderDevice(layer::createDeviceResources)) {
    state.SkipWithError("no render device");
    return;
  }
  e.textureFact = new layer::C_TextureFact();
  layer::C_SpriteFact::resetCountsForTests();
  e.spriteFact = new layer::C_SpriteFact();
  e.spriteFact->init();
  e.frameNow = 1000;
  e.frameDeltaMs = 17;
  {
    scene::C_BaseScene scene;
    chara::InitSceneSolidChara(scene, 4);
    for (int i = 0; i < 4; ++i)
      chara::SetSolidChara(scene, i, "mesh.txt", -384.0f + 256.0f * i, 0, 0, 0, false, nullptr, 0, 0);
    const bool draw = state.range(0) != 0;
    int frame = 0;
    double cpu = 0.0;
    for (auto _ : state) {
      e.frameNow += 17;
      // A new shake every second keeps every soft vertex moving.
      if (frame++ % 60 == 0)
        for (int i = 0; i < 4; ++i) chara::ShakeSolidChara(scene, i, 3, 9, 0, 0.95f, 1000);
      const double start = ThreadCpuMs();
      bool taken = false;
      chara::UpdateSolidCharas(scene, taken, false);
      if (draw) {
        e.device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
        e.device->beginScene();
        chara::DrawSolidCharas(scene);
        e.device->endScene();
      }
      cpu += ThreadCpuMs() - start;
      if (draw) e.device->finish();
    }
    state.counters["main_cpu_ms_per_frame"] = cpu / double(state.iterations());
    scene.solidOrder.clear();
    scene.solidCharas.clear();
  }
  layer::destroyCharaRenderTarget();
  delete e.textureFact;
  e.textureFact = nullptr;
  delete e.spriteFact;
  e.spriteFact = nullptr;
  layer::C_BaseLayer::releaseQuadBuffer();
  engine::ReleaseDebugObjects();
  engine::ReleaseEffects();
  engine::DestroyRenderDevice();
  fs::current_path(previous);
  fs::remove_all(dir);
}
// Arg 0: the update alone (physics and vertex writes); 1: with the draw pass.
BENCHMARK(BM_SolidCharas)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Arg(0)->Arg(1);

}  // namespace
