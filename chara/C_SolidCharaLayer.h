// The solid character: a character layer whose two picture slots each carry a deformable mesh
// that uses the slot's picture as its texture, drawn in 3D and shaken with a spring model.
#pragma once

#include <cstdint>
#include <memory>

#include "chara/SolidMesh.h"
#include "layer/C_BaseCharaLayer.h"

namespace scene {
class C_BaseScene;
}

namespace chara {

// Which of the owner scene's event starts a touch on a click-map region uses.
enum class TouchStart { None, Jump, Call, TouchCall };

class C_SolidCharaLayer : public layer::C_BaseCharaLayer {
 public:
  C_SolidCharaLayer();
  // Releases both meshes' buffers and arrays, then the base's pictures.
  ~C_SolidCharaLayer() override;

  // Animation, mouse posing or pull, shakes, the spring step and the world matrix of
  // both slots; returns the busy word.
  int32_t update(const engine::PadRecord* pad) override;
  // The picture slots and their meshes change places together.
  void swapSlots() override;
  // Whether the other slot still shows a mesh (loaded, not transparent, with buffers).
  bool isOtherSlotShown() override;
  // Draws the meshes of both slots (the depth argument is not used).
  void drawBoth(float depth) override;
  // Handles the mouse offered by the scene (hit test, press, release, right button).
  int32_t handleMouse() override;
  int32_t handleMouse(bool force);
  // Draws one slot's mesh with the colour blend of alpha and the given alpha blend factors.
  void drawSlotMesh(bool other, uint32_t alphaSrc, uint32_t alphaDest);
  // The device buffers go before a device reset.
  virtual void releaseDeviceBuffers();
  // They come back after it (the shake state stays).
  virtual void recreateDeviceBuffers();

  // Loads a mesh into the current slot; the shown one fades out over timeMs and is released
  // once invisible. diff (may be null or empty) names a difference picture put at diffX, diffY.
  void LoadSolidMesh(const char* file, const char* diff, int32_t diffX, int32_t diffY, int32_t timeMs);
  // Releases a slot's mesh and picture (other: the slot that is not current).
  void ReleaseSolidMesh(bool other);

  // Where the mouse hits the current mesh: -1 off the picture, 0 on it, n > 0 on click-map
  // region n (sets hitU, hitV).
  int32_t HitTest(float mouseX, float mouseY);

  SolidMesh& currentMesh() { return *meshes[currentSlot]; }
  SolidMesh& otherMesh() { return *meshes[currentSlot ^ 1]; }
  bool hasAnyMesh() const { return meshes[0]->hasBuffers() || meshes[1]->hasBuffers(); }

  // The world matrix of a slot's mesh: rotations about y, x, z, the 512-pixel mesh unit with
  // the slot's scales, then the position (y up) and depth.
  static gfx::Matrix WorldMatrixOf(const layer::PictureSlot& slot);

  // ---- Fields ----
  int32_t charaIndex = 0;
  float hitU = -1.0f, hitV = -1.0f;
  int32_t hitIndex = -1;
  std::unique_ptr<SolidMesh> meshes[2];
  // The scene whose event a touch starts, and how (the targets are the layer's variants: entry
  // n-1 is "file?label" of click-map region n).
  scene::C_BaseScene* owner = nullptr;
  TouchStart touchStart = TouchStart::None;

 private:
  void updateSlot(int32_t slotIndex);
  // A completed touch on region hitIndex: the click flags and the region's event, when it has one.
  void startTouchEvent();
  void drawMesh(gfx::Device& device, SolidMesh& mesh, layer::PictureSlot& slot, uint32_t alphaSrc, uint32_t alphaDest);
};

// The view and projection of the solid pass for the current screen size.
gfx::Matrix SolidViewMatrix();
gfx::Matrix SolidProjectionMatrix();

}  // namespace chara
