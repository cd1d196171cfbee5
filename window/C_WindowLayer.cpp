// C_WindowLayer: set-up, text target, frame update, open and close, and the draws with the
// click-wait cursor.
#include "window/C_WindowLayer.h"
#include "window/WidgetDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Engine.h"
#include "layer/C_Sprite.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "window/FrameMesh.h"

namespace window {

const char* const kCursorChipPictures[kCursorChipCount] = {"cur0.png", "cur1.png", "cur10.png", "cur11.png",
                                                           "cur12.png"};

namespace {

// Render targets larger than this are refused by every renderer; keeps the size conversion defined.
constexpr float kMaxTargetSide = 16384.0f;

int32_t targetSide(float layoutSize) {
  if (!(layoutSize > 0.0f)) return 0;
  return int32_t(std::min(layoutSize, kMaxTargetSide));
}

void setAlphaFromTextureAndFactor(gfx::Device& device) {
  device.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
}

void setAlphaFromTextureAndDiffuse(gfx::Device& device) {
  device.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::Diffuse);
}

// The slot's texture-coordinate scale and offset as a 2D texture transform (its translation in
// the third row).
void setCellTransform(gfx::Device& device, const layer::PictureSlot& s) {
  gfx::Matrix t = gfx::Matrix::scaling(s.uvScale[0], s.uvScale[1], 1.0f);
  t.m[2][0] = s.uvOffset[0];
  t.m[2][1] = s.uvOffset[1];
  device.setTransform(gfx::TransformType::Texture0, t);
  device.setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Count2);
}

}  // namespace

int32_t ReactionCursorChip(int32_t totalMs) {
  const uint32_t n = (uint32_t(totalMs) / 128u) % 4u;
  return n < 3 ? 2 + int32_t(n) : 3;
}

C_WindowLayer::C_WindowLayer() = default;

C_WindowLayer::~C_WindowLayer() = default;

// ---- Set-up ------------------------------------------------------------------------------------------

void C_WindowLayer::setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                              bool reuse) {
  const engine::Engine& e = engine::context();
  layer::PictureSlot& s = currentPicture();
  // The window is open and takes the mouse; the click-wait cursor starts hidden.
  kind = kindCode;
  opened = true;
  mouseEnabled = true;
  clickCursorShown = false;
  // The frame picture is stretched to the requested size.
  s.width = int16_t(width);
  s.height = int16_t(height);
  s.scaleX = s.width != 0 ? float(width) / float(s.width) * e.screenScale : 0.0f;
  s.scaleY = s.height != 0 ? float(height) / float(s.height) * e.screenScale : 0.0f;
  s.x = e.screenScale * x;
  s.y = e.screenScale * y;
  draggable = isDraggable;
  // "win_h.png" is drawn as a frame mesh; any other picture as one quad.
  if (std::strstr(s.name, "win_h.png")) {
    buildFrameMesh();
  } else {
    frameMesh.clear();
    frameMeshBuffer.reset();
  }
  // A fresh window drops its text target; a message window makes its cursor chips.
  if (!reuse) {
    textTarget.reset();
    if (kind == kind::Message) {
      for (int32_t i = 0; i < kCursorChipCount; ++i) {
        cursorChips[i] = std::make_unique<layer::C_Sprite>();
        cursorChips[i]->setSpritePicture(kCursorChipPictures[i]);
        cursorChips[i]->scaleX = cursorChips[i]->scaleY = e.screenScale;
      }
    }
  }
  // Invisible until opened.
  s.colour = 0x00FFFFFFu;
}

void C_WindowLayer::buildFrameMesh() {
  const engine::Engine& e = engine::context();
  const layer::PictureSlot& s = currentPicture();
  const float width = float(s.width) * s.scaleX, height = float(s.height) * s.scaleY;
  frameMesh = BuildFrameMesh(s.x - width / 2.0f + 512.0f * e.screenScale, s.y - height / 2.0f + 384.0f * e.screenScale,
                             width, height);
  gfx::Device* device = e.device;
  if (!device) return;
  const uint32_t bytes = uint32_t(frameMesh.size() * sizeof(ScreenVertex));
  if (!frameMeshBuffer || frameMeshBuffer->sizeBytes() != bytes) {
    frameMeshBuffer.reset();
    if (device->createVertexBuffer(bytes, gfx::usage::WriteOnly, kScreenVertexFvf, gfx::Pool::Managed,
                                   frameMeshBuffer) != gfx::result::Ok) {
      frameMeshBuffer.reset();
      return;
    }
  }
  void* data = nullptr;
  if (frameMeshBuffer->lock(0, 0, &data) != gfx::result::Ok || !data) {
    platform::messageBox(CP932("チップ頂点バッファのロックに失敗"), "ERROR", platform::mb::Ok);
    return;
  }
  std::memcpy(data, frameMesh.data(), bytes);
  if (frameMeshBuffer->unlock() != gfx::result::Ok)
    platform::messageBox(CP932("チップ頂点バッファのアンロックに失敗"), "ERROR", platform::mb::Ok);
}

void C_WindowLayer::setTextArea(float left, float top, float right, float bottom) {
  const engine::Engine& e = engine::context();
  const float scale = e.screenScale;
  // In low-spec mode an area taller than the scaled screen is cut to fit.
  if (scale < 1.0f && scale * 768.0f <= bottom - top) bottom -= (bottom - top - scale * 768.0f) + 1.0f;
  // The area in layout units, and its size.
  textArea[0] = left;
  textArea[1] = top;
  textArea[2] = right;
  textArea[3] = bottom;
  textAreaWidth = right - left;
  textAreaHeight = bottom - top;
  // The area's centre relative to the window's centre.
  const layer::PictureSlot& s = currentPicture();
  const float windowLeft = s.x - float(s.width) * s.scaleX / 2.0f;
  const float windowTop = s.y - float(s.height) * s.scaleY / 2.0f;
  textOffsetX = (windowLeft + scale * left + windowLeft + scale * right) / 2.0f - s.x;
  textOffsetY = (windowTop + scale * top + windowTop + scale * bottom) / 2.0f - s.y;
  // The text target takes the area's size, so it is made once the area is known.
  createTextTarget();
  // The cursor chips' place relative to the window's centre.
  chipOffsetX = 393.0f * scale;
  chipOffsetY = 68.0f * scale;
  // The new target starts empty.
  clearTextTarget();
}

void C_WindowLayer::createTextTarget() {
  textTarget.reset();
  gfx::Device* device = engine::context().device;
  auto sprite = std::make_unique<layer::C_Sprite>();
  const layer::PictureSlot& s = currentPicture();
  sprite->x = s.x + textOffsetX;
  sprite->y = s.y + textOffsetY;
  textTarget = std::move(sprite);
  if (!device) return;
  layer::C_Sprite& target = *textTarget;
  if (device->createTexture(targetSide(textAreaWidth), targetSide(textAreaHeight), 1, gfx::usage::RenderTarget,
                            gfx::Pool::Default, target.texture) != gfx::result::Ok) {
    target.texture.reset();
    platform::messageBox(CP932("テクスチャの作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  if (device->createDepthStencilSurface(target.texture->width(0), target.texture->height(0), target.depthSurface) !=
      gfx::result::Ok) {
    target.depthSurface.reset();
    platform::messageBox(CP932("テクスチャ用のZバッファ作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  target.width = target.texture->width(0);
  target.height = target.texture->height(0);
  target.sourceRect[2] = target.width;
  target.sourceRect[3] = target.height;
}

void C_WindowLayer::clearTextTarget() {
  gfx::Device* device = engine::context().device;
  if (!device || !textTarget || !textTarget->texture || !textTarget->depthSurface) return;
  const gfx::SurfacePtr savedTarget = device->getRenderTarget();
  const gfx::SurfacePtr savedDepth = device->getDepthStencilSurface();
  device->setRenderTarget(textTarget->texture->surfaceLevel(0));
  device->setDepthStencilSurface(textTarget->depthSurface);
  device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0x00000000u, 1.0f, 0);
  device->setRenderTarget(savedTarget);
  device->setDepthStencilSurface(savedDepth);
}

void C_WindowLayer::releaseTextTarget() {
  // A window that never had a text area has nothing to restore after the loss.
  if (!textTarget) return;
  textTarget.reset();
  textTargetLost = true;
}

void C_WindowLayer::restoreTextTarget() {
  if (!textTargetLost) return;
  createTextTarget();
  clearTextTarget();
  textTargetLost = false;
}

void C_WindowLayer::setText(const std::string& newText, bool /*flag*/) {
  typingFinished = false;
  // The text ends at its first NUL, as the engine's text buffers do; tabs are dropped.
  text.clear();
  for (char c : newText) {
    if (c == '\0') break;
    if (c != '\t') text.push_back(c);
  }
  clearTextTarget();
  typeTimer = 0.0f;
  showAllRequest = false;
  cursor = 0;
  lineBytes = lineIndex = penX = 0;
}

TextArea C_WindowLayer::getTextArea() { return {textArea[0], textArea[1], textArea[2], textArea[3]}; }

FontInfo C_WindowLayer::getFont() { return {fontSize, fontWeight, faceName, fontType}; }

// ---- Frame update ------------------------------------------------------------------------------------

int32_t C_WindowLayer::update(const engine::PadRecord* /*pad*/) {
  const engine::Engine& e = engine::context();
  // Both slots step their animations; a close that ends this frame is noticed below.
  const bool wasFading = currentPicture().fadeActive;
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  // A finished close clears the page.
  const layer::PictureSlot& s = currentPicture();
  if (wasFading && !s.fadeActive && s.alpha() == 0) setText(std::string(), false);
  // The coin turns: its two faces' widths follow the cosine and the sine of the game time.
  if (hasCursorChips()) {
    const float t = float(e.totalMs) * 0.005f;
    cursorChips[0]->scaleX = std::cos(t) * e.screenScale;
    cursorChips[1]->scaleX = std::sin(t) * e.screenScale;
    for (auto& chip : cursorChips) {
      chip->x = chipOffsetX + s.x;
      chip->y = chipOffsetY + s.y;
    }
  }
  // A left drag follows the cursor until the button is released.
  if (dragging) {
    layer::PictureSlot& moved = currentPicture();
    moved.x = float(e.mouse.cursorX - dragOffsetX);
    moved.y = float(e.mouse.cursorY - dragOffsetY);
    if (e.mouse.mouseEvents & engine::mouse::LeftUp) dragging = false;
  }
  // The busy state after this frame's steps.
  return computeBusy();
}

int32_t C_WindowLayer::computeBusy() {
  const layer::PictureSlot& s = currentPicture();
  int32_t flags = 0;
  if (s.fadeActive) flags |= 2;
  if (s.currentKey >= 0 || s.nextKey >= 0 || s.splineActive) flags |= 4;
  if (isTyping()) flags |= 8;
  busyFlags = flags;
  return busyFlags;
}

void C_WindowLayer::open(int32_t timeMs) {
  opened = true;
  visible = true;
  currentPicture().loaded = true;
  if (timeMs > 0) {
    slots[0]->colour &= 0x00FFFFFFu;
    startColourFade(0xFFFFFFFFu, timeMs, false);
    startColourFade(0x00FFFFFFu, timeMs, true);
  } else {
    slots[0]->colour = 0xFFFFFFFFu;
    slots[1]->colour &= 0x00FFFFFFu;
    otherPicture().loaded = false;
  }
}

void C_WindowLayer::close(int32_t timeMs) { startColourFade(0x00FFFFFFu, timeMs, false); }

// ---- Draws ---------------------------------------------------------------------------------------------

void C_WindowLayer::draw() {
  gfx::Device* device = engine::context().device;
  if (!device || !visible) return;
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 1);
  for (int pass = 0; pass < 2; ++pass) {
    const bool other = pass == 0;
    layer::PictureSlot& s = slot(other);
    if (!s.loaded || s.alpha() == 0) continue;
    // Each slot's pass starts on a fresh depth buffer, its alpha scaled by the slot's colour.
    setSlotBlendStates(*device, other);
    device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
    device->setRenderState(gfx::RenderState::TextureFactor, s.colour);
    setAlphaFromTextureAndFactor(*device);
    // The frame: as a mesh without its first rectangle, or as the shared quad.
    if (s.texture) {
      if (s.useUvRect) setCellTransform(*device, s);
      const gfx::Matrix world = gfx::Matrix::rotationZ(s.rotation) *
                                gfx::Matrix::scaling(float(s.width) * s.scaleX, float(s.height) * s.scaleY, 1.0f) *
                                gfx::Matrix::translation(s.x - 0.5f, s.y - 0.5f, 0.0f);
      if (!frameMesh.empty()) {
        // The frame's alpha is its vertices' alpha times the slot's, so the frame fades with the
        // window's open and close.
        const uint32_t alpha = uint32_t(float(frameMesh[0].colour >> 24) / 255.0f * float(s.alpha()));
        device->setRenderState(gfx::RenderState::TextureFactor, (alpha << 24) | (s.colour & 0x00FFFFFFu));
        if (frameMeshBuffer) {
          device->setTransform(gfx::TransformType::World, world);
          device->setTransform(gfx::TransformType::Projection, layer::CentredProjection());
          device->setTexture(0, s.texture);
          device->setStreamSource(0, frameMeshBuffer, 0, sizeof(ScreenVertex));
          device->setFVF(kScreenVertexFvf);
          // The first rectangle (the whole window) is not drawn.
          device->drawPrimitive(gfx::PrimitiveType::TriangleList, 6, uint32_t(frameMesh.size() / 3 - 2));
        }
      } else {
        DrawTexturedQuad(*device, s.texture, world);
      }
      if (s.useUvRect)
        device->setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Disable);
    }
    // The text goes over the frame in the same slot colour.
    setAlphaFromTextureAndDiffuse(*device);
    if (textTarget) {
      device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
      drawTextTarget(other);
    }
  }
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 0);
}

void C_WindowLayer::drawTextTarget(bool other) {
  gfx::Device* device = engine::context().device;
  if (!device) return;
  const engine::Engine& e = engine::context();
  const layer::PictureSlot& s = slot(other);
  device->setRenderState(gfx::RenderState::TextureFactor, s.colour);
  setAlphaFromTextureAndFactor(*device);
  if (textTarget && textTarget->texture) {
    const gfx::Matrix world =
        gfx::Matrix::rotationZ(s.rotation) *
        gfx::Matrix::scaling(e.screenScale * textAreaWidth + 1.0f, e.screenScale * textAreaHeight + 1.0f, 1.0f) *
        gfx::Matrix::translation(s.x + textOffsetX, s.y + textOffsetY, 0.0f);
    DrawTexturedQuad(*device, textTarget->texture, world);
  }
  if (kind == kind::Message && cursor < 0 && owner && owner->state == scene::state::Still && hasCursorChips() &&
      clickCursorShown)
    drawClickCursor();
}

void C_WindowLayer::drawClickCursor() {
  gfx::Device* device = engine::context().device;
  const int32_t t = engine::context().totalMs;
  int32_t shown[2] = {0, 1};
  int32_t count = 2;
  if (owner && owner->reactionMode) {
    shown[0] = ReactionCursorChip(t);
    count = 1;
  }
  for (int32_t i = 0; i < count; ++i) {
    const layer::C_Sprite& chip = *cursorChips[size_t(shown[i])];
    device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
    const gfx::Matrix world =
        gfx::Matrix::rotationY(chip.rotation) *
        gfx::Matrix::scaling(float(chip.width) * chip.scaleX, float(chip.height) * chip.scaleY, 1.0f) *
        gfx::Matrix::translation(chip.x, chip.y, 0.0f);
    DrawTexturedQuad(*device, chip.texture, world);
  }
}

}  // namespace window
