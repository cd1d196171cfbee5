// A free-standing textured rectangle, the built-in picture table, and the character render
// target: the screen-sized off-screen picture scenes draw into before showing it.
#pragma once

#include <cstdint>

#include "gfx/Device.h"
#include "layer/C_BaseObject.h"
#include "layer/TextureRef.h"

namespace layer {

// The built-in pictures (index 0..5); any other index gives an empty name.
const char* PresetPictureName(int32_t index);
constexpr int32_t PresetPictureCount = 6;

class C_Sprite : public C_BaseObject {
 public:
  C_Sprite() = default;
  ~C_Sprite() override;

  // World = scaling, rotation, translation to the screen position (no half-pixel
  // shift); begins and ends the sprite batch itself unless insideBatch.
  virtual void drawSprite(bool insideBatch, float depth);

  void setSpritePicture(const char* name);
  void setSpritePreset();

  // ---- Fields ----
  char name[128] = {};
  gfx::TexturePtr texture;
  gfx::SurfacePtr depthSurface;
  int32_t sourceRect[4] = {0, 0, 0, 0};
  float x = 0.0f, y = 0.0f;
  float rotation = 0.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  int32_t width = 0, height = 0;
  uint32_t colour = 0xFFFFFFFFu;
  int32_t presetIndex = -1;

 private:
  // The texture factory's reference behind texture, when the picture came from it.
  TextureRef textureRef_;
};

// ---- The character render target (one process-wide C_Sprite) ----

void createCharaRenderTarget();
void destroyCharaRenderTarget();
// nullptr while none exists.
C_Sprite* charaRenderTarget();
bool charaRenderTargetReady();

// Redirects drawing into the target (unless keepTarget) and sets the view and projection:
// fullOrtho gives an orthographic projection of the screen size, otherwise the centred one.
void beginCharaRender(bool fullOrtho, bool keepTarget);
// Restores the saved target and shows what was drawn, modulated by colour.
void endCharaRender(uint32_t colour);

// The projection the 2D draws use: origin at the screen centre, y down, z from -10 to 10.
gfx::Matrix CentredProjection();

}  // namespace layer
