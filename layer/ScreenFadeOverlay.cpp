// The whole-screen fade overlay and the layers' device resources.
#include "layer/ScreenFadeOverlay.h"

#include "engine/Engine.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"

namespace layer {

void DrawScreenFade() {
  const engine::Engine& e = engine::context();
  const engine::ScreenFade& f = e.fade;
  // Nothing shows unless a fade left the overlay visible.
  if (!f.fadeVisible || !e.fadeOverlay) return;
  // The overlay's alpha follows the fade's progress.
  int32_t alpha = 255;
  if (f.fadeDirection != 0 && f.fadeDuration <= 0) {
    alpha = f.fadeDirection == -1 ? 0 : 255;
  } else if (f.fadeDirection == -1) {
    alpha = int32_t(float(f.fadeRemaining) / float(f.fadeDuration) * 255.0f);
  } else if (f.fadeDirection == 1) {
    alpha = int32_t(float(f.fadeDuration - f.fadeRemaining) / float(f.fadeDuration) * 255.0f);
  }
  alpha = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
  // The white picture stretched over the 1024x768 screen, tinted with the fade colour.
  PictureSlot& s = e.fadeOverlay->currentPicture();
  s.colour = uint32_t(alpha) << 24 | (f.fadeColour & 0x00FFFFFFu);
  const float width = s.width > 0 ? float(s.width) : 1.0f, height = s.height > 0 ? float(s.height) : 1.0f;
  s.scaleX = 1024.0f / width * e.screenScale;
  s.scaleY = 768.0f / height * e.screenScale;
  s.x = s.y = 0.0f;
  // Drawn through the shared sprite batch.
  gfx::SpriteBatch* batch = spriteBatch();
  if (!batch) return;
  batch->begin(gfx::spriteflag::AlphaBlend);
  e.fadeOverlay->drawBoth(0.0f);
  batch->end();
}

void createDeviceResources() {
  createCharaRenderTarget();
  C_BaseLayer::createQuadBuffer();
}

}  // namespace layer
