// Typing on the headless renderer: rasterising and drawing one character into a message window's
// text target, and a whole 200-character page typed at speed 0 in one frame (the renderer is
// waited for each time).
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "layer/C_BaseLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "platform/Encoding.h"
#include "text/Cp932.h"
#include "text/GlyphRasterizer.h"
#include "window/C_WindowLayer.h"

namespace {

namespace fs = std::filesystem;

// Two hundred characters of ordinary text: kanji, kana and punctuation.
const char* const kPageUtf8 =
    "霧の立ちこめる港町に、古い灯台がひとつ残っている。夜になると、誰もいないはずの塔の上で、"
    "小さな明かりが揺れるのだという。町の子どもたちは、それを「灯台守の幽霊」と呼んで怖がった。"
    "けれど私は知っている。あの光は、帰らなかった船を待ち続ける祖母の、古いランプの火なのだ。"
    "今夜もまた、潮風が窓を叩く。私は外套を羽織り、坂道を下っていった。石畳は濡れて光り、"
    "遠くで霧笛が鳴った。灯台の扉は、いつものように少しだけ開いていた。";

// The engine's drawing side in a scratch folder: device, sprite batch, rasteriser.
class Engine {
 public:
  Engine() : dir_(fs::temp_directory_path() / ("km-bench-typing-" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    previous_ = fs::current_path();
    fs::current_path(dir_);
    std::ofstream("lambart.fx") << "// lambert\n";
    std::ofstream("ShadowMap.fx") << "// shadow map\n";
    engine::resetEngine();
    archive::resetArchiveSet();
    engine::Engine& e = engine::context();
    e.screenWidth = 1024;
    e.screenHeight = 768;
    e.windowed = true;
    ready_ = engine::CreateRenderDevice(layer::createDeviceResources);
    layer::C_SpriteFact::resetCountsForTests();
    e.spriteFact = new layer::C_SpriteFact();
    e.spriteFact->init();
    e.glyphRasterizer = text::GlyphRasterizer::create().release();
  }
  ~Engine() {
    engine::Engine& e = engine::context();
    layer::destroyCharaRenderTarget();
    layer::C_BaseLayer::releaseQuadBuffer();
    engine::ReleaseDebugObjects();
    engine::ReleaseEffects();
    delete e.glyphRasterizer;
    delete e.spriteFact;
    e.glyphRasterizer = nullptr;
    e.spriteFact = nullptr;
    engine::DestroyRenderDevice();
    engine::resetEngine();
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  bool ready() const { return ready_ && engine::context().glyphRasterizer; }

  // A message window with a 30-pixel font and an area wide enough for a 40-character line.
  static std::unique_ptr<window::C_WindowLayer> messageWindow() {
    auto w = std::make_unique<window::C_WindowLayer>();
    w->setTextArea(0, 0, 1000, 400);
    w->setFont(0, 30, platform::utf8ToCp932("ＭＳ ゴシック").c_str(), 400);
    w->speed = 0.0f;
    return w;
  }

 private:
  fs::path dir_, previous_;
  bool ready_ = false;
};

// The frame's drawing pass around the typing step.
void typeInFrame(window::C_WindowLayer& w) {
  gfx::SpriteBatch* batch = layer::spriteBatch();
  batch->begin(gfx::spriteflag::AlphaBlend);
  w.runRenderer();
  batch->end();
}

// Characters one after another as within one typing step (the text target stays bound), each
// waited for.
void BM_RasteriseAndDrawOneCharacter(benchmark::State& state) {
  Engine engine;
  if (!engine.ready()) return state.SkipWithError("no renderer or no font");
  auto w = Engine::messageWindow();
  const std::string page = platform::utf8ToCp932(kPageUtf8);
  gfx::Device& device = *engine::context().device;
  size_t at = 0;
  for (auto _ : state) {
    const text::Cp932Character c = text::cp932CharacterAt(page, at);
    w->drawCharacter(page.data() + at, int32_t(c.length));
    device.finish();
    at = at + c.length >= page.size() ? 0 : at + c.length;
    if (w->penX >= 900) w->newLine();
    if (w->lineIndex > 10) w->lineIndex = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RasteriseAndDrawOneCharacter)->Unit(benchmark::kMicrosecond);

void BM_TypeWholePageAtSpeedZero(benchmark::State& state) {
  Engine engine;
  if (!engine.ready()) return state.SkipWithError("no renderer or no font");
  auto w = Engine::messageWindow();
  const std::string page = platform::utf8ToCp932(kPageUtf8);
  size_t characters = 0;
  for (const text::Cp932Character& c : text::Cp932Characters(page)) characters += c.length > 0;
  gfx::Device& device = *engine::context().device;
  engine::context().frameDeltaMs = 17;
  for (auto _ : state) {
    w->setText(page, false);
    typeInFrame(*w);
    device.finish();
    if (w->isTyping()) return state.SkipWithError("the page did not finish in one frame");
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(characters));
  state.counters["characters"] = double(characters);
}
BENCHMARK(BM_TypeWholePageAtSpeedZero)->Unit(benchmark::kMillisecond);

}  // namespace
