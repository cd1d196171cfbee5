// The one engine context of the process.
#include "engine/Engine.h"

namespace engine {

namespace {
Engine g_engine;
}

Engine& context() { return g_engine; }
void resetEngine() { g_engine = Engine{}; }

}  // namespace engine
