// The sprite factory: owner of the one sprite batch all layers draw through.
#pragma once

#include "gfx/SpriteBatch.h"
#include "layer/C_BaseObject.h"

namespace layer {

class C_SpriteFact : public C_BaseObject {
 public:
  // At most one may ever exist: a second construction shows its message and ends the process.
  C_SpriteFact();
  ~C_SpriteFact() override;
  // Creates the sprite batch; a second call ends the process.
  void init() override;

  // Tests that build the engine twice in one process start the counts again.
  static void resetCountsForTests();
};

// The process-wide sprite batch (nullptr before C_SpriteFact::init and after its destruction).
gfx::SpriteBatch* spriteBatch();

}  // namespace layer
