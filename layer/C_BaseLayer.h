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

  // The current slot through the sprite batch (half-pixel shift, depth 0.5).
  void draw() override;
  // Exchanges the two picture slots; currentSlot keeps its value.
  virtual void swapSlots();
  // Whether the other slot holds a picture that is not fully transparent.
  virtual bool isOtherSlotShown();
  // Drops the slot's move keys, which stops its key move.
  virtual void resetKeyMove(bool other);
  // Fills the first free move key (relative: offsets from where the previous key left off).
  virtual void addKey(int32_t relative, float x, float y, float depth, float scaleX, float scaleY, int32_t durationMs,
                      bool other);
  // Starts the key move at the first key now.
  virtual void startKeyMove(bool other);
  // Fades the slot's colour, alpha included, to target over durationMs.
  virtual void startColourFade(uint32_t target, int32_t durationMs, bool other);
  // A colour fade of the alpha alone.
  virtual void startAlphaFade(uint8_t alpha, int32_t durationMs, bool other);
  // Lays a difference picture over the base at (x, y) in image pixels, blended in over durationMs.
  virtual void setDifference(const char* file, int32_t x, int32_t y, int32_t durationMs, bool other);
  // Blends the difference into the base texture at fraction t of its fade (1: all of it).
  virtual void blendDifference(float t, bool other);
  // Starts a new spline path at the slot's current position and scale.
  virtual void resetSplineMove(bool other);
  // Appends a spline point (relative: offset from the previous point); depth is not used.
  virtual void addSplinePoint(int32_t relative, float x, float y, float depth, float scaleX, float scaleY, bool other);
  // Runs the spline over durationMs; with fewer than two points the move is refused.
  virtual void startSplineMove(int32_t durationMs, bool other);
  // One animation step of the slot with that index; skip takes every animation to its end.
  virtual void animate(int32_t slotIndex, bool skip);
  // Takes every animation of both slots to its end at once.
  virtual void finishAnimations();
  // Sets and returns busyFlags from the current slot: 2 while it fades, 4 while it moves.
  virtual int32_t computeBusy();
  // rect (left, top, right, bottom in image pixels) may be null.
  virtual void setPicture(const char* file, const int32_t* rect, bool other);
  // Superseded: warns in a message box, then sets the preset picture.
  virtual void setPresetPicture(int32_t index, bool other);
  // Superseded: warns in a message box, then makes a blank render-target picture.
  virtual void createBlankPicture(int32_t width, int32_t height, bool other);
  // The base with the difference composed in at (x, y), as a texture the slot owns.
  virtual void setPictureComposite(const char* baseFile, const char* diffFile, int32_t x, int32_t y, bool other);
  // The current slot's picture name.
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

  // ---- Fields ----
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
