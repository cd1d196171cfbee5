// The one engine context of the process.
#include "app/Engine.h"

namespace app {

namespace {
Engine g_engine;
}

Engine& engine() { return g_engine; }
void resetEngine() { g_engine = Engine{}; }

}  // namespace app
