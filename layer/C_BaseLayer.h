// The picture layer: two alternating picture slots (current and the one being replaced), their
// animations, difference overlays, and the sprite and quad draws.
#pragma once

#include <cstdint>
#include <memory>

#include "layer/C_BaseObject.h"
#include "layer/PictureSlot.h"

namespace layer {

class C_BaseLayer : public C_BaseObject {
 public:
  C_BaseLayer();
  ~C_BaseLayer() override;

  // slot 5: the current slot through the sprite batch (half-pixel shift, depth 0.5).
  void draw() override;
  // slot 7
  virtual void swapSlots();
  // slot 8
  virtual bool isOtherSlotShown();
  // slot 9
  virtual void resetKeyMove(bool other);
  // slot 10
  virtual void addKey(int32_t relative, float x, float y, float depth, float scaleX, float scaleY,
                      int32_t durationMs, bool other);
  // slot 11
  virtual void startKeyMove(bool other);
  // slot 12
  virtual void startColourFade(uint32_t target, int32_t durationMs, bool other);
  // slot 13
  virtual void startAlphaFade(uint8_t alpha, int32_t durationMs, bool other);
  // slot 14
  virtual void setDifference(const char* file, int32_t x, int32_t y, int32_t durationMs, bool other);
  // slot 15
  virtual void blendDifference(float t, bool other);
  // slot 16
  virtual void resetSplineMove(bool other);
  // slot 17
  virtual void addSplinePoint(int32_t relative, float x, float y, float depth, float scaleX, float scaleY,
                              bool other);
  // slot 18
  virtual void startSplineMove(int32_t durationMs, bool other);
  // slot 19
  virtual void animate(int32_t slotIndex, bool skip);
  // slot 20
  virtual void finishAnimations();
  // slot 21
  virtual int32_t computeBusy();
  // slot 22: rect (left, top, right, bottom in image pixels) may be null.
  virtual void setPicture(const char* file, const int32_t* rect, bool other);
  // slot 23 (superseded)
  virtual void setPresetPicture(int32_t index, bool other);
  // slot 24 (superseded)
  virtual void createBlankPicture(int32_t width, int32_t height, bool other);
  // slot 25
  virtual void setPictureComposite(const char* baseFile, const char* diffFile, int32_t x, int32_t y, bool other);
  // slot 26
  virtual const char* getPictureName();

  // Releases the slot's picture (by name from the texture factory, or its own texture).
  void releasePicture(bool other);
  // Replaces the picture with a cross-fade over durationMs.
  void changePicture(const char* file, int32_t durationMs);

  // The quad draw of both slots (plain characters): the shared unit quad scaled to the picture.
  void drawQuad();
  // Blend states of the two-slot quad draws: the old picture goes under as it is, the current
  // one blends by its alpha.
  static void setSlotBlendStates(gfx::Device& device, bool otherSlot);
  // The sprite draw of one slot; forDrawBoth selects drawBoth's centre and depth rules.
  void drawSlotSprite(PictureSlot& slot, uint32_t colour, bool forDrawBoth, float depth);

  PictureSlot& slot(bool other) { return *slots[other ? (currentSlot ^ 1) : currentSlot]; }
  PictureSlot& currentPicture() { return *slots[currentSlot]; }
  PictureSlot& otherPicture() { return *slots[currentSlot ^ 1]; }

  // The shared quad vertex buffer: created once, kept for the process (released at shutdown).
  static void createQuadBuffer();
  static void releaseQuadBuffer();
  // The shared quad for the draws of other classes (windows, their text and cursor): nullptr
  // before createQuadBuffer. Vertices of QuadVertexBytes in the QuadFvf layout, a strip of 2.
  static const gfx::VertexBufferPtr& quadBuffer();
  static constexpr uint32_t QuadVertexBytes = 24;
  static constexpr uint32_t QuadFvf = gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1;
  // The layer counter starts again at 1 (tests).
  static void resetIdCounterForTests();

  // ---- Fields, in order ----
  int32_t id = 0;
  bool opened = false;
  bool visible = true;
  int32_t busyFlags = 0;
  int32_t currentSlot = 0;
  std::unique_ptr<PictureSlot> slots[2];

 private:
  void releaseDifference(PictureSlot& s);
  void loadClickMap(PictureSlot& s, const char* file);
};

// The message a difference outside its base picture gives; false when it lies outside.
bool DifferenceFitsBase(int32_t baseWidth, int32_t baseHeight, int32_t x, int32_t y, int32_t diffWidth,
                        int32_t diffHeight);

// The composing rule of setPictureComposite for one pixel: alpha adds (capped at 255), each
// colour moves towards the difference by its alpha / 256.
uint32_t ComposePixel(uint32_t base, uint32_t diff);
// The difference-fade rule for one texel at fraction t; returns false when the texel is left
// alone (a fully transparent difference over a fully transparent base).
bool BlendDifferencePixel(uint32_t saved, uint32_t diff, float t, uint32_t& out);

}  // namespace layer
