// The live-object counter of the engine's class hierarchy.
#include "layer/C_BaseObject.h"

#include <atomic>

namespace layer {

namespace {
std::atomic<int32_t> g_liveObjects{0};
}

C_BaseObject::C_BaseObject() { ++g_liveObjects; }
C_BaseObject::~C_BaseObject() { --g_liveObjects; }
int32_t C_BaseObject::liveObjects() { return g_liveObjects.load(); }

}  // namespace layer
