#include "script/bind/ScValues.h"

#include "engine/Engine.h"
#include "script/C_EventMain.h"

namespace script::bind {

scene::C_BaseScene* ScriptScene() {
  engine::Engine& e = engine::context();
  if (e.eventMain && e.eventMain->drivenScene) return e.eventMain->drivenScene;
  return e.currentScene;
}

}  // namespace script::bind
