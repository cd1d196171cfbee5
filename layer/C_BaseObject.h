// Root of every engine class: the seven virtual slots and the live-object counter.
#pragma once

#include <cstdint>

#include "engine/Engine.h"

namespace layer {

class C_BaseObject {
 public:
  C_BaseObject();
  // slot 0
  virtual ~C_BaseObject();
  // slot 1: one-time initialisation after construction.
  virtual void init() {}
  // slot 2: frees what the object holds without destroying it.
  virtual void release() {}
  // slot 3: one frame step; returns a status word. Scenes receive the frame's pad record, every
  // other object nullptr.
  virtual int32_t update(const engine::PadRecord* /*pad*/) { return 0; }
  // slot 4: frame step without input.
  virtual int32_t updateIdle() { return 0; }
  // slot 5
  virtual void draw() {}
  // slot 6: used by scenes for the whole frame.
  virtual int32_t render() { return 0; }

  // Objects of the hierarchy alive now (incremented by every constructor, decremented by
  // every destructor).
  static int32_t liveObjects();

  C_BaseObject(const C_BaseObject&) = delete;
  C_BaseObject& operator=(const C_BaseObject&) = delete;
};

}  // namespace layer
