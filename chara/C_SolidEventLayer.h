// The solid event picture: a full-scene picture made of up to three stacked solid meshes (the
// first three solid characters of the scene), drawn and faded as one image, that wobbles and
// takes touches like a solid character.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "layer/C_BaseObject.h"

namespace chara {

class C_SolidCharaLayer;

class C_SolidEventLayer : public layer::C_BaseObject {
 public:
  static constexpr size_t kLayerCount = 3;

  // Uses `count` characters of `array` as its layers (the scene keeps owning them).
  void AttachCharacters(C_SolidCharaLayer* const* array, size_t count);
  // Loads file into layer 0 and its "_l1" / "_l2" siblings into layers 1 and 2, fading in over
  // timeMs; a layer without a sibling fades out. The picture becomes active.
  void SetEvent(const char* file, int32_t timeMs);
  // Every layer's current slot at (x, y, z) x screenScale.
  void PutEvent(float x, float y, float z);
  // Every layer's current slot scaled by (scaleX, scaleY) x screenScale.
  void ScaleEvent(float scaleX, float scaleY);
  // Every layer fades out over timeMs and is released once invisible (it stays active).
  void DeleteEvent(int32_t timeMs);
  void ShakeEvent(float powerH, float powerV, float powerZ, float decay, int32_t rangeTimeMs);
  // Layer k alone (the per-layer tags); nothing for k outside the layers.
  void ShakeLayer(size_t k, float powerH, float powerV, float powerZ, float decay, int32_t rangeTimeMs);
  void AutoShakeEvent(float periodMs, float power, float angleRadians);
  void AutoShakeLayer(size_t k, float periodMs, float power, float angleRadians);
  void ResetAutoShakeEvent();

  // The scene's mouse and update for the picture: returns the busy count of the enabled layers
  // and sets mouseTaken when a layer took the mouse.
  int32_t UpdateWithMouse(bool& mouseTaken, bool mouseBlocked);
  // Sum of the enabled layers' busy words.
  int32_t update(const engine::PadRecord* pad) override;
  // Both images (the old one while a layer still cross-fades) through the off-screen picture.
  void draw() override;

  bool enabled(size_t k) const { return k < kLayerCount && k < layers.size() && layerEnabled[k]; }

  // ---- Fields ----
  bool active = false;
  std::array<bool, kLayerCount> layerEnabled{};
  std::vector<C_SolidCharaLayer*> layers;
  std::vector<std::array<int32_t, 3>> layerDragState;

 private:
  // One image: the chosen slot's mesh of every enabled layer into the off-screen picture, which
  // is then drawn to the screen in colour.
  void drawImage(bool other, uint32_t colour);
};

// The sibling layer name: "event.sld" with "_l1" gives "event_l1.sld"; empty without a '.' or
// when no archive entry or file on disk has that name.
std::string EventLayerName(const std::string& file, const char* suffix);

}  // namespace chara
