// One picture of a layer with its placement, colour and the state of its four animations.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "gfx/Device.h"
#include "layer/C_TextureFact.h"
#include "layer/SplineCurve.h"
#include "layer/TextureRef.h"

namespace layer {

// The click map of a picture (its regions belong to the click-map code).
struct ClickMap;

struct MoveKey {
  int32_t relative = 0;  // 1: values are offsets from those at the start of the segment
  float x = 0.0f, y = 0.0f, depth = 0.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  int32_t duration = 0;  // ms
  bool valid = false;
};

struct PictureSlot {
  bool loaded = false;
  bool sharedTexture = false;
  bool useUvRect = false;
  char name[128] = {};
  gfx::TexturePtr texture;
  // The texture factory's counted reference behind texture while the slot shows a picture file.
  TextureRef textureRef;
  gfx::TexturePtr auxTexture;
  PictureInfo info;
  int32_t sourceRect[4] = {0, 0, 0, 0};
  int32_t textureRect[4] = {0, 0, 0, 0};
  float x = 0.0f, y = 0.0f;
  float rotation = 0.0f;
  float depth = 0.0f;
  float rotationX = 0.0f, rotationY = 0.0f;
  float scaleX = 1.0f, scaleY = 1.0f;
  int16_t width = 0, height = 0;
  uint32_t colour = 0xFFFFFFFFu;
  float uvOffset[2] = {0.0f, 0.0f};
  float uvScale[2] = {1.0f, 1.0f};
  int32_t presetIndex = -1;

  // Key move.
  int32_t currentKey = -1;
  int32_t nextKey = -1;
  MoveKey keys[8];
  float fromX = 0, fromY = 0, fromDepth = 0, fromScaleX = 1, fromScaleY = 1;
  float toX = 0, toY = 0, toDepth = 0, toScaleX = 1, toScaleY = 1;
  uint32_t segmentStart = 0;

  // Colour fade.
  uint32_t fadeTarget = 0;
  uint32_t fadeFrom = 0;
  int32_t fadeDuration = 0;
  uint32_t fadeStart = 0;
  bool fadeActive = false;
  bool fadeStamped = false;

  // Spline move.
  std::vector<std::pair<float, float>> splinePositions;
  std::vector<std::pair<float, float>> splineScales;
  std::unique_ptr<SplineCurve> spline;
  int32_t splineDuration = 0;
  uint32_t splineStart = 0;
  bool splineActive = false;

  // Difference overlay.
  gfx::TexturePtr diffTexture;
  gfx::TexturePtr savedRegion;
  int32_t diffDuration = 0;
  uint32_t diffStart = 0;
  int32_t diffX = 0, diffY = 0;
  float diffWidth = 0.0f, diffHeight = 0.0f;
  bool diffActive = false;
  bool diffStarted = false;

  std::shared_ptr<ClickMap> clickMap;

  // The depth buffer of a blank picture (the superseded createBlankPicture).
  gfx::SurfacePtr blankDepth;

  uint8_t alpha() const { return uint8_t(colour >> 24); }
};

}  // namespace layer
