// The sprite factory and the process-wide sprite batch.
#include "layer/C_SpriteFact.h"

#include <cstdlib>
#include <memory>

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace layer {

namespace {
int32_t g_constructions = 0;
int32_t g_inits = 0;
std::unique_ptr<gfx::SpriteBatch> g_spriteBatch;
}  // namespace

gfx::SpriteBatch* spriteBatch() { return g_spriteBatch.get(); }

C_SpriteFact::C_SpriteFact() {
  if (++g_constructions > 1) {
    platform::messageBox(CP932("C_SpriteFactインスタンスは複数生成しないでください"), "error", platform::mb::Ok);
    std::abort();
  }
}

C_SpriteFact::~C_SpriteFact() { g_spriteBatch.reset(); }

void C_SpriteFact::init() {
  if (++g_inits > 1) {
    platform::messageBox(CP932("C_SpriteFactインスタンスの初期化は一度だけ行ってください"), "error", platform::mb::Ok);
    std::abort();
  }
  gfx::Device* device = engine::context().device;
  if (!device) {
    platform::messageBox(CP932("ID3DXSpriteオブジェクトの生成に失敗しました"), "error", platform::mb::Ok);
    std::abort();
  }
  g_spriteBatch = std::make_unique<gfx::SpriteBatch>(*device);
}

void C_SpriteFact::resetCountsForTests() {
  g_constructions = 0;
  g_inits = 0;
}

}  // namespace layer
