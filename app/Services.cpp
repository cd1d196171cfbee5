// The program object's services: the exit steps they are destroyed with, and their complete
// types for the deleters.
#include "app/Services.h"

#include "engine/RenderDevice.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "sound/C_SoundPlayer.h"
#include "text/GlyphRasterizer.h"

namespace app {

Services::Services()
    : device(&engine::DestroyRenderDevice),
      effects(&engine::ReleaseEffects),
      debugObjects(&engine::ReleaseDebugObjects) {}

Services::~Services() = default;

}  // namespace app
