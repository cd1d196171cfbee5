// C_SelWindowLayer: the choices, the row under the mouse, the commit and the highlight bar.
#include "window/C_SelWindowLayer.h"

#include <algorithm>
#include <cmath>

#include "engine/Engine.h"
#include "layer/C_Sprite.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "window/WidgetDraw.h"

namespace window {

namespace {

// The row texture's side in texels: at least 1 (a window without a text area still gets its
// texture), and kept in a range the conversion handles; the device refuses what it cannot make.
int32_t rowTextureSide(float size) {
  if (!(size >= 1.0f)) return 1;
  return int32_t(std::min(size, 1048576.0f));
}

}  // namespace

C_SelWindowLayer::C_SelWindowLayer() {
  kind = kind::Select;
  highlightBar = std::make_unique<layer::C_BaseCharaLayer>();
  highlightBar->setPicture(kHighlightBarPicture, nullptr, false);
}

C_SelWindowLayer::~C_SelWindowLayer() = default;

// ---- The choices ---------------------------------------------------------------------------------

void C_SelWindowLayer::setText(const std::string& newText, bool flag) {
  // New choices wait for ScSelectActive.
  typingFinished = false;
  active = false;
  C_WindowLayer::setText(newText, flag);
  // One row per line.
  choiceCount = text.empty() ? 0 : 1 + int32_t(std::count(text.begin(), text.end(), '\n'));
  hoveredRow = -1;
  // Rows that do not fit the text area are reported, and kept.
  if ((int64_t(fontSize) + marginY) * choiceCount > textAreaHeight)
    platform::messageBox(CP932("選択肢の数が、選択肢描画領域をオーバー"), "ERROR", platform::mb::Ok);
  // The highlight bar and the row picture follow the new rows.
  fitHighlightBar();
  createRowTexture();
}

void C_SelWindowLayer::fitHighlightBar() {
  const float s = engine::context().screenScale;
  layer::PictureSlot& bar = highlightBar->currentPicture();
  const float barWidth = float(bar.width), barHeight = float(bar.height);
  bar.scaleX = barWidth > 0.0f ? textAreaWidth / barWidth * s : 0.0f;
  bar.scaleY = barHeight > 0.0f ? s * float(int64_t(fontSize) + marginY) / barHeight : 0.0f;
  // Its left edge at the text area's left edge.
  bar.x = s * (currentPicture().x + textOffsetX - textAreaWidth / 2.0f) + barWidth * bar.scaleX / 2.0f;
  bar.colour = 0xA8FFFFFFu;
}

void C_SelWindowLayer::createRowTexture() {
  rowTextTexture.reset();
  gfx::Device* device = engine::context().device;
  if (!device) return;
  if (device->createTexture(rowTextureSide(textAreaWidth), rowTextureSide(float(int64_t(fontSize) + marginY)), 1, 0,
                            gfx::Pool::Managed, rowTextTexture) != gfx::result::Ok) {
    rowTextTexture.reset();
    platform::messageBox(CP932("選択肢でカーソルの上に書く文字のテクスチャの生成に失敗"), "ERROR", platform::mb::Ok);
  }
}

int32_t C_SelWindowLayer::takeResult() {
  const int32_t row = committedRow;
  committedRow = -1;
  return row;
}

// ---- Mouse ----------------------------------------------------------------------------------------

int32_t C_SelWindowLayer::rowAt(int32_t mouseX, int32_t mouseY) {
  const float s = engine::context().screenScale;
  const layer::PictureSlot& slot = currentPicture();
  const float rowHeight = s * float(int64_t(fontSize) + marginY);
  const double left = std::trunc(double(slot.x + s * textOffsetX - s * textAreaWidth / 2.0f));
  const double top = std::trunc(double(slot.y + s * textOffsetY - s * textAreaHeight / 2.0f));
  const double right = left + std::trunc(double(s * textAreaWidth));
  if (!(left <= mouseX && mouseX <= right)) return -1;
  for (int32_t c = 0; c < choiceCount; ++c) {
    const float bandTop = float(top) + rowHeight * float(c);
    const float bandBottom = float(top) + rowHeight * float(c + 1);
    if (bandTop <= float(mouseY) && float(mouseY) <= bandBottom) return c;
  }
  return -1;
}

int32_t C_SelWindowLayer::handleMouse() {
  // A hidden window takes no mouse.
  if (!visible) return 0;
  // While active: hover the row under the mouse; a release there commits it.
  const engine::MouseState& m = engine::context().mouse;
  if (active) {
    hoveredRow = rowAt(m.cursorX, m.cursorY);
    const bool released = (m.mouseEvents & engine::mouse::LeftUp) != 0;
    const bool pressed = (m.mouseEvents & engine::mouse::LeftDown) != 0;
    if (hoveredRow >= 0 && released && !pressed) {
      committedRow = hoveredRow;
      if (choiceHandler) {
        active = false;
        const size_t row = size_t(committedRow);
        if (container) choiceHandler(*container, variantLeft(row), variantRight(row));
      }
    }
  }
  // Off the rows the window can be dragged.
  if (hoveredRow < 0) return C_BaseCharaLayer::handleMouse();
  return 0;
}

// ---- Frame ----------------------------------------------------------------------------------------

int32_t C_SelWindowLayer::update(const engine::PadRecord* /*pad*/) {
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  if (dragging) {
    const engine::MouseState& m = engine::context().mouse;
    currentPicture().x = float(m.cursorX - dragOffsetX);
    currentPicture().y = float(m.cursorY - dragOffsetY);
    if (m.mouseEvents & engine::mouse::LeftUp) dragging = false;
  }
  return computeBusy();
}

void C_SelWindowLayer::draw() {
  C_WindowLayer::draw();
  if (visible && hoveredRow >= 0) drawHighlightBar();
}

void C_SelWindowLayer::drawHighlightBar() {
  gfx::Device* device = engine::context().device;
  const layer::PictureSlot& slot = currentPicture();
  // The bar fades with the window: a closed window leaves no bar behind on its chosen row.
  if (!device || !slot.loaded || slot.alpha() == 0) return;
  const float s = engine::context().screenScale;
  const float rowHeight = s * float(int64_t(fontSize) + marginY);
  device->setRenderState(gfx::RenderState::TextureFactor, FadeColour(0x88FFFFFFu, slot.alpha()));
  device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
  const gfx::Matrix world =
      gfx::Matrix::rotationZ(slot.rotation) * gfx::Matrix::scaling(s * textAreaWidth, rowHeight, 1.0f) *
      gfx::Matrix::translation(
          slot.x + s * textOffsetX,
          slot.y + s * textOffsetY - s * textAreaHeight / 2.0f + rowHeight * float(hoveredRow) + rowHeight / 2.0f,
          0.0f);
  DrawTexturedQuad(*device, highlightBar->currentPicture().texture, world);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::Diffuse);
}

}  // namespace window
