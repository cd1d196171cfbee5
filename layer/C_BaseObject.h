// Root of every engine class: the seven virtual members and the live-object counter.
#pragma once

#include <cstdint>

#include "engine/Engine.h"

namespace layer {

class C_BaseObject {
 public:
  C_BaseObject();
  // Counted out of liveObjects.
  virtual ~C_BaseObject();
  // One-time initialisation after construction.
  virtual void init() {}
  // Frees what the object holds without destroying it.
  virtual void release() {}
  // One frame step; returns a status word. Scenes receive the frame's pad record, every other
  // object nullptr.
  virtual int32_t update(const engine::PadRecord* /*pad*/) { return 0; }
  // Frame step without input.
  virtual int32_t updateIdle() { return 0; }
  // Draws the object into the current frame.
  virtual void draw() {}
  // Used by scenes for the whole frame.
  virtual int32_t render() { return 0; }

  // Objects of the hierarchy alive now (incremented by every constructor, decremented by
  // every destructor).
  static int32_t liveObjects();

  C_BaseObject(const C_BaseObject&) = delete;
  C_BaseObject& operator=(const C_BaseObject&) = delete;
};

}  // namespace layer
