// The process-wide services the program object makes in its init: owned here, published to the
// engine context as plain pointers for their readers, and destroyed by member order.
#pragma once

#include <memory>
#include <utility>

#include "engine/Engine.h"
#include "layer/TextureRef.h"

namespace app {

// Deletes a service and then clears its pointer in the engine context, so that while the
// service goes its readers still find it and afterwards nobody finds a dangling one.
template <class T>
struct ServiceDelete {
  T* engine::Engine::*slot = nullptr;
  // Runs on the object just before it is deleted (the Lua host closes its states).
  void (*beforeDelete)(T*) = nullptr;
  void operator()(T* object) const {
    if (beforeDelete) beforeDelete(object);
    std::default_delete<T>()(object);
    if (slot) engine::context().*slot = nullptr;
  }
};

template <class T>
using Service = std::unique_ptr<T, ServiceDelete<T>>;

// Takes ownership of object and publishes it in the context's slot.
template <class T>
Service<T> publish(T* engine::Engine::*slot, std::unique_ptr<T> object, void (*beforeDelete)(T*) = nullptr) {
  engine::context().*slot = object.get();
  return Service<T>(object.release(), ServiceDelete<T>{slot, beforeDelete});
}

// A step of the exit order that is a function rather than an object: runs when destroyed.
class ExitStep {
 public:
  explicit ExitStep(void (*step)()) : step_(step) {}
  ~ExitStep() {
    if (step_) step_();
  }
  ExitStep(const ExitStep&) = delete;
  ExitStep& operator=(const ExitStep&) = delete;

 private:
  void (*step_)();
};

// The members are destroyed in reverse declaration order, and the engine relies on that
// order at exit: the rasteriser before the debug objects, the fade overlay before its
// "white.bmp" reference, the event system before the Lua states it runs on, the sound player
// before the effects, both factories after everything that draws, the device last. Declare a
// new service where its destruction belongs, not where it is made.
struct Services {
  // The render device is made at start-up, before the program object's init; it goes last.
  ExitStep device;
  Service<layer::C_SpriteFact> spriteFact;
  Service<layer::C_TextureFact> textureFact;
  // The two effects.
  ExitStep effects;
  // Its buffers live in the audio device, which outlives the program object.
  Service<sound::C_SoundPlayer> soundPlayer;
  // Closes its two states before it is deleted.
  Service<script::LuaHost> lua;
  Service<script::C_EventMain> eventMain;
  // The fade overlay's picture, held from init to exit.
  layer::TextureRef white;
  Service<layer::C_BaseCharaLayer> fadeOverlay;
  // The four font slots and the debug sprite.
  ExitStep debugObjects;
  // The windows' fonts go with the scene; their rasteriser goes first of all services.
  Service<text::GlyphRasterizer> glyphRasterizer;

  Services();
  ~Services();
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;
};

}  // namespace app
