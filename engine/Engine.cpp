// The one engine context of the process.
#include "engine/Engine.h"

#include <utility>

namespace engine {

namespace {
Engine g_engine;
}

Engine& context() { return g_engine; }
void resetEngine() {
  // The old values go in reverse member order (the device last), as at exit.
  Engine old = std::move(g_engine);
  g_engine = Engine{};
}

}  // namespace engine
