// C_BaseLayer's animations: key moves, spline moves, colour fades and difference fades, each
// advanced once per frame with the frame clock.
#include <algorithm>
#include <cstring>

#include "engine/Engine.h"
#include "layer/C_BaseLayer.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace layer {

namespace {

uint32_t now() { return engine::context().frameNow; }

int32_t elapsedSince(uint32_t start) { return static_cast<int32_t>(now() - start); }

}  // namespace

// ---- Key moves -------------------------------------------------------------------------------------

void C_BaseLayer::resetKeyMove(bool other) {
  PictureSlot& s = slot(other);
  s.currentKey = s.nextKey = -1;
  for (MoveKey& k : s.keys) k.valid = false;
}

void C_BaseLayer::addKey(int32_t relative, float x, float y, float depth, float scaleX, float scaleY,
                         int32_t durationMs, bool other) {
  PictureSlot& s = slot(other);
  for (MoveKey& k : s.keys) {
    if (k.valid) continue;
    k.relative = relative;
    k.x = x;
    k.y = y;
    k.depth = depth;
    k.scaleX = scaleX;
    k.scaleY = scaleY;
    k.duration = durationMs;
    k.valid = true;
    return;
  }
  // All eight keys taken: the key is ignored.
}

void C_BaseLayer::startKeyMove(bool other) {
  PictureSlot& s = slot(other);
  s.currentKey = -1;
  s.nextKey = 0;
  s.segmentStart = now();
}

// ---- Colour fades ------------------------------------------------------------------------------------

void C_BaseLayer::startColourFade(uint32_t target, int32_t durationMs, bool other) {
  PictureSlot& s = slot(other);
  s.fadeFrom = s.colour;
  s.fadeTarget = target;
  s.fadeDuration = durationMs;
  s.fadeStart = now();
  s.fadeActive = true;
  s.fadeStamped = false;
}

void C_BaseLayer::startAlphaFade(uint8_t alpha, int32_t durationMs, bool other) {
  const uint32_t rgb = slot(other).colour & 0x00FFFFFFu;
  startColourFade(uint32_t(alpha) << 24 | rgb, durationMs, other);
}

// ---- Spline moves ------------------------------------------------------------------------------------

void C_BaseLayer::resetSplineMove(bool other) {
  PictureSlot& s = slot(other);
  s.splinePositions.clear();
  s.splineScales.clear();
  s.splinePositions.emplace_back(s.x, s.y);
  s.splineScales.emplace_back(s.scaleX, s.scaleY);
}

void C_BaseLayer::addSplinePoint(int32_t relative, float x, float y, float /*depth*/, float scaleX, float scaleY,
                                 bool other) {
  PictureSlot& s = slot(other);
  if (relative && !s.splinePositions.empty()) {
    x += s.splinePositions.back().first;
    y += s.splinePositions.back().second;
  }
  if (relative && !s.splineScales.empty()) {
    scaleX += s.splineScales.back().first;
    scaleY += s.splineScales.back().second;
  }
  s.splinePositions.emplace_back(x, y);
  s.splineScales.emplace_back(scaleX, scaleY);
}

void C_BaseLayer::startSplineMove(int32_t durationMs, bool other) {
  PictureSlot& s = slot(other);
  // A curve needs two points; with fewer the move is refused.
  auto curve = std::make_unique<SplineCurve>();
  if (s.splineScales.size() != s.splinePositions.size() || !curve->build(s.splinePositions)) return;
  s.spline = std::move(curve);
  s.splineDuration = durationMs;
  s.splineStart = now();
  s.splineActive = true;
}

// ---- Difference overlays ---------------------------------------------------------------------------

void C_BaseLayer::releaseDifference(PictureSlot& s) {
  s.diffTexture.reset();
  s.savedRegion.reset();
}

void C_BaseLayer::setDifference(const char* file, int32_t x, int32_t y, int32_t durationMs, bool other) {
  PictureSlot& s = slot(other);
  gfx::Device* device = engine::context().device;
  // Any earlier difference of the slot is dropped first.
  releaseDifference(s);
  s.diffActive = false;
  // The difference must lie inside the base picture.
  gfx::ImageInfo info;
  getImageInfo(file, info);
  if (!DifferenceFitsBase(s.info.imageWidth, s.info.imageHeight, x, y, int32_t(info.width), int32_t(info.height))) {
    platform::messageBox(CP932("差分は、ベース画像からはみ出て指定はできません"), CP932("テクスチャエラー"),
                         platform::mb::Ok);
    return;
  }
  // The base texture holds the picture stretched by the ratios.
  const float tx = float(x) / s.info.ratioX, ty = float(y) / s.info.ratioY;
  const float tw = float(info.width) / s.info.ratioX, th = float(info.height) / s.info.ratioY;
  const int32_t w = int32_t(tw), h = int32_t(th);
  // The difference, and a copy of the base region it covers for the blend to start from.
  gfx::TexturePtr diff;
  if (w <= 0 || h <= 0 || loadTexture(file, w, h, gfx::Pool::SystemMem, diff) != gfx::result::Ok) {
    platform::messageBox(file ? file : "", CP932("テクスチャ読み込みエラー"), platform::mb::Ok);
    return;
  }
  gfx::TexturePtr saved;
  if (!device || !s.texture || device->createTexture(w, h, 1, 0, gfx::Pool::SystemMem, saved) != gfx::result::Ok)
    return;
  // The region must lie inside the base texture (rounding may not carry it past the edge).
  const int32_t left = int32_t(tx), top = int32_t(ty);
  if (left + w > s.texture->width(0) || top + h > s.texture->height(0)) return;
  gfx::LockedRect bl, sl;
  if (s.texture->lockRect(0, bl) != gfx::result::Ok) return;
  if (saved->lockRect(0, sl) == gfx::result::Ok) {
    for (int32_t row = 0; row < h; ++row)
      std::memcpy(sl.bits + size_t(row) * size_t(sl.pitch),
                  bl.bits + size_t(top + row) * size_t(bl.pitch) + size_t(left) * 4, size_t(w) * 4);
    saved->unlockRect(0);
  }
  // Nothing changed in the base: hand it back without an upload.
  s.texture->unlockRect(0);
  // The difference fade starts at the first animation step.
  s.diffTexture = diff;
  s.savedRegion = saved;
  s.diffActive = true;
  s.diffStarted = false;
  s.diffDuration = durationMs;
  s.diffX = left;
  s.diffY = top;
  s.diffWidth = tw;
  s.diffHeight = th;
  s.diffStart = now();
}

void C_BaseLayer::blendDifference(float t, bool other) {
  PictureSlot& s = slot(other);
  if (!s.texture || !s.diffTexture || !s.savedRegion) return;
  const int32_t w = int32_t(s.diffWidth), h = int32_t(s.diffHeight);
  if (s.diffX + w > s.texture->width(0) || s.diffY + h > s.texture->height(0)) return;
  gfx::LockedRect bl, dl, sl;
  if (s.texture->lockRect(0, bl) != gfx::result::Ok) return;
  if (s.diffTexture->lockRect(0, dl) != gfx::result::Ok) {
    s.texture->unlockRect(0);
    return;
  }
  if (s.savedRegion->lockRect(0, sl) != gfx::result::Ok) {
    s.diffTexture->unlockRect(0);
    s.texture->unlockRect(0);
    return;
  }
  // Every step starts again from the saved base pixels, so steps never accumulate rounding.
  for (int32_t j = 0; j < h; ++j) {
    uint32_t* b = reinterpret_cast<uint32_t*>(bl.bits + size_t(s.diffY + j) * size_t(bl.pitch)) + s.diffX;
    const uint32_t* d = reinterpret_cast<const uint32_t*>(dl.bits + size_t(j) * size_t(dl.pitch));
    const uint32_t* saved = reinterpret_cast<const uint32_t*>(sl.bits + size_t(j) * size_t(sl.pitch));
    for (int32_t i = 0; i < w; ++i) {
      uint32_t out;
      if (BlendDifferencePixel(saved[i], d[i], t, out)) b[i] = out;
    }
  }
  s.savedRegion->unlockRect(0);
  s.diffTexture->unlockRect(0);
  s.texture->unlockRect(0);
}

// ---- The frame step ----------------------------------------------------------------------------------

void C_BaseLayer::animate(int32_t slotIndex, bool skip) {
  PictureSlot& s = *slots[slotIndex & 1];
  const bool other = (slotIndex & 1) != currentSlot;

  // Key move (a spline move running at the same time has the last word on position).
  if (s.currentKey >= 0 || s.nextKey >= 0) {
    // A new segment starts when the next key is due. A skipping step in the middle of the
    // running segment finishes that segment (starting it afresh would add a relative key's
    // offsets a second time, from wherever the picture had got to).
    const bool midSegment = s.currentKey == s.nextKey;
    if (!midSegment) {
      s.currentKey = s.nextKey;
      const MoveKey& k = s.keys[s.currentKey];
      s.toX = k.x;
      s.toY = k.y;
      s.toDepth = k.depth;
      s.toScaleX = k.scaleX;
      s.toScaleY = k.scaleY;
      if (k.relative == 1) {
        s.toX += s.x;
        s.toY += s.y;
        s.toDepth += s.depth;
        s.toScaleX += s.scaleX;
        s.toScaleY += s.scaleY;
      }
      s.fromX = s.x;
      s.fromY = s.y;
      s.fromDepth = s.depth;
      s.fromScaleX = s.scaleX;
      s.fromScaleY = s.scaleY;
      s.segmentStart = now();
    }
    const MoveKey& k = s.keys[s.currentKey];
    const int32_t elapsed = elapsedSince(s.segmentStart);
    if (elapsed < k.duration && !skip) {
      const float f = float(elapsed) / float(k.duration);
      s.x = s.fromX + (s.toX - s.fromX) * f;
      s.y = s.fromY + (s.toY - s.fromY) * f;
      s.depth = s.fromDepth + (s.toDepth - s.fromDepth) * f;
      s.scaleX = s.fromScaleX + (s.toScaleX - s.fromScaleX) * f;
      s.scaleY = s.fromScaleY + (s.toScaleY - s.fromScaleY) * f;
    } else {
      s.x = s.toX;
      s.y = s.toY;
      s.depth = s.toDepth;
      s.scaleX = s.toScaleX;
      s.scaleY = s.toScaleY;
      s.nextKey = s.currentKey + 1;
      if (s.nextKey >= 8 || !s.keys[s.nextKey].valid) s.currentKey = s.nextKey = -1;
    }
  }

  // Spline move.
  if (s.splineActive) {
    const int32_t elapsed = elapsedSince(s.splineStart);
    if (elapsed >= s.splineDuration || skip || !s.spline) {
      if (!s.splinePositions.empty()) {
        s.x = s.splinePositions.back().first;
        s.y = s.splinePositions.back().second;
      }
      if (!s.splineScales.empty()) {
        s.scaleX = s.splineScales.back().first;
        s.scaleY = s.splineScales.back().second;
      }
      s.splinePositions.clear();
      s.splineScales.clear();
      s.spline.reset();
      s.splineActive = false;
    } else {
      int32_t k = 0;
      float f = 0.0f;
      const auto p = s.spline->evaluate(float(elapsed) / float(s.splineDuration), &k, &f);
      s.x = p.first;
      s.y = p.second;
      const size_t k0 = std::min(size_t(k), s.splineScales.size() - 1);
      const size_t k1 = std::min(size_t(k) + 1, s.splineScales.size() - 1);
      s.scaleX = s.splineScales[k0].first + (s.splineScales[k1].first - s.splineScales[k0].first) * f;
      s.scaleY = s.splineScales[k0].second + (s.splineScales[k1].second - s.splineScales[k0].second) * f;
    }
  }

  // Colour fade: each byte separately, truncated.
  if (s.fadeActive) {
    if (!s.fadeStamped) {
      s.fadeStart = now();
      s.fadeStamped = true;
    }
    const int32_t elapsed = elapsedSince(s.fadeStart);
    if (elapsed < s.fadeDuration && !skip) {
      const float f = float(elapsed) / float(s.fadeDuration);
      uint32_t c = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const float from = float((s.fadeFrom >> shift) & 0xFF), to = float((s.fadeTarget >> shift) & 0xFF);
        c |= uint32_t(int32_t(from + (to - from) * f) & 0xFF) << shift;
      }
      s.colour = c;
    } else {
      s.colour = s.fadeTarget;
      s.fadeActive = false;
    }
  }

  // Difference fade.
  if (s.diffActive) {
    if (!s.diffStarted) {
      s.diffStart = now();
      s.diffStarted = true;
    }
    const int32_t elapsed = elapsedSince(s.diffStart);
    if (elapsed < s.diffDuration && !skip) {
      blendDifference(float(elapsed) / float(s.diffDuration), other);
    } else {
      blendDifference(1.0f, other);
      releaseDifference(s);
      s.diffActive = false;
      s.diffStarted = false;
    }
  }
}

void C_BaseLayer::finishAnimations() {
  animate(currentSlot, true);
  animate(currentSlot ^ 1, true);
}

int32_t C_BaseLayer::computeBusy() {
  const PictureSlot& s = currentPicture();
  int32_t flags = 0;
  if (s.fadeActive || s.diffActive) flags |= 2;
  if (s.currentKey >= 0 || s.nextKey >= 0 || s.splineActive) flags |= 4;
  busyFlags = flags;
  return busyFlags;
}

}  // namespace layer
