// The sprite factory and the process-wide sprite batch.
#include "layer/C_SpriteFact.h"

#include <cstdlib>
#include <memory>

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace layer {

gfx::SpriteBatch* spriteBatch() { return engine::context().spriteBatch.get(); }

C_SpriteFact::C_SpriteFact() {
  if (++engine::context().spriteFactConstructions > 1) {
    platform::messageBox(CP932("C_SpriteFactインスタンスは複数生成しないでください"), "error", platform::mb::Ok);
    std::abort();
  }
}

C_SpriteFact::~C_SpriteFact() { engine::context().spriteBatch.reset(); }

void C_SpriteFact::init() {
  if (++engine::context().spriteFactInits > 1) {
    platform::messageBox(CP932("C_SpriteFactインスタンスの初期化は一度だけ行ってください"), "error", platform::mb::Ok);
    std::abort();
  }
  gfx::Device* device = engine::context().device;
  if (!device) {
    platform::messageBox(CP932("ID3DXSpriteオブジェクトの生成に失敗しました"), "error", platform::mb::Ok);
    std::abort();
  }
  engine::context().spriteBatch = std::make_unique<gfx::SpriteBatch>(*device);
}

void C_SpriteFact::resetCountsForTests() {
  engine::context().spriteFactConstructions = 0;
  engine::context().spriteFactInits = 0;
}

}  // namespace layer
