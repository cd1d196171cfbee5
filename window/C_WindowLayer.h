// The common window: a frame picture, a text area with its own render target that text is typed
// into character by character, open and close fades, bound child windows and, for message
// windows, the click-wait cursor.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Device.h"
#include "layer/C_BaseCharaLayer.h"
#include "text/GlyphRasterizer.h"

namespace layer {
class C_Sprite;
}
namespace scene {
class C_BaseScene;
}

namespace window {

// Kind codes of the window types.
namespace kind {
constexpr int32_t Message = 0;  // "MES"
constexpr int32_t Select = 1;   // "SEL"
constexpr int32_t Dialog = 2;   // "DIALOG", "D_BTN"
constexpr int32_t Plain = 3;    // "PLN"
constexpr int32_t Button = 4;   // "BTN"
constexpr int32_t History = 5;  // "HIST"
constexpr int32_t Slider = 6;   // "SLIDE"
constexpr int32_t Check = 7;    // "CHECK"
}  // namespace kind

// A vertex of the glyph quad and of the frame mesh: pre-transformed position, diffuse colour,
// texture coordinates (28 bytes).
struct ScreenVertex {
  float x = 0, y = 0, z = 0, rhw = 1;
  uint32_t colour = 0;
  float u = 0, v = 0;
};
constexpr uint32_t kScreenVertexFvf = gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1;

// The click-wait cursor's pictures: chips 0 and 1 are the two faces of the turning coin, chips
// 2 to 4 the reaction-mode cycle.
constexpr int32_t kCursorChipCount = 5;
extern const char* const kCursorChipPictures[kCursorChipCount];

// The chip the reaction-mode cursor shows at game time totalMs: cur10, cur11, cur12, cur11 with
// 128 ms per picture.
int32_t ReactionCursorChip(int32_t totalMs);

// A glyph quad in text-target pixels with the texture coordinates of its corners.
struct GlyphQuad {
  float x0, y0, x1, y1;
  float u0, v0, u1, v1;
};

struct TextArea {
  float left = 0, top = 0, right = 0, bottom = 0;
};

struct FontInfo {
  int32_t size = 0;
  int32_t weight = 0;
  std::string faceName;
  uint8_t fontType = 0;
};

class C_WindowLayer : public layer::C_BaseCharaLayer {
 public:
  C_WindowLayer();
  ~C_WindowLayer() override;

  // Animations, the page cleared after a finished close, the cursor chips, dragging;
  // returns computeBusy.
  int32_t update(const engine::PadRecord* pad) override;
  // Both slots (frame mesh or quad, then the text target) with separate alpha blending.
  void draw() override;
  // 2 colour fade, 4 key or spline move, 8 typing.
  int32_t computeBusy() override;

  // Gives up the text target when the device is lost.
  virtual void releaseTextTarget();
  // The restored target is empty: the page typed so far is not drawn again.
  virtual void restoreTextTarget();
  // Whether the click-wait cursor is shown.
  virtual void setClickCursorShown(bool shown) { clickCursorShown = shown; }
  // The typing step (called while the frame is drawn).
  virtual void runRenderer();
  // Whether a page is being typed.
  virtual bool isTyping() { return cursor >= 0; }
  // The rest of the page is typed at once on the next typing step.
  virtual void requestShowAll() { showAllRequest = true; }
  // After setPicture of the frame picture; x, y are the centre in layout units.
  virtual void setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                         bool reuse);
  // In layout units relative to the window's top-left corner.
  virtual void setTextArea(float left, float top, float right, float bottom);
  // Font type (0 types text, 1 types nothing), size, face and weight; margins go back to 2.
  virtual void setFont(uint8_t type, int32_t size, const char* face, int32_t weight);
  // Spacing added between characters and between lines.
  virtual void setFontMargin(int32_t x, int32_t y);
  // Shows the window, fading it in over timeMs (at once for 0).
  virtual void open(int32_t timeMs);
  // Fades the window out over timeMs.
  virtual void close(int32_t timeMs);
  // The page to type from its start; flag has no effect here.
  virtual void setText(const std::string& newText, bool flag);
  // The text area as set by setTextArea.
  virtual TextArea getTextArea();
  // The font as set by setFont.
  virtual FontInfo getFont();
  // The result a window hands over once it is done; plain windows have none (0).
  virtual int32_t takeResult() { return 0; }
  // The renderer of font type 1: draws nothing, but ends the page, which would
  // otherwise keep the scene busy for good.
  virtual void typeNothing();
  // The renderer of font type 0.
  virtual void typeText();
  // Draws the text target over the slot, in the slot's colour.
  virtual void drawTextTarget(bool other);
  // The current picture's rectangle, edges included.
  virtual bool hitTest(float x, float y) { return C_BaseCharaLayer::hitTest(x, y); }
  // Sets the window's active flag (SetWindowActive).
  virtual void setActive(bool flag) { active = flag; }
  // The window's active flag.
  virtual bool isActive() { return active; }

  // Rasterises and draws one character of 1 or 2 bytes at the layout position and advances the
  // pen. False when the glyph quad or texture cannot be locked: nothing is drawn and the
  // character is tried again on the next frame.
  bool drawCharacter(const char* bytes, int32_t length);

  // The layout state of a new line.
  void newLine() {
    ++lineIndex;
    penX = 0;
    lineBytes = 0;
  }

  // ---- Fields ----
  bool textTargetLost = false;
  bool showAllRequest = false;
  bool wrapByWidth = true;
  bool typingFinished = false;
  bool clickCursorShown = false;
  bool active = true;
  std::string text;
  int32_t kind = 0;
  std::vector<C_WindowLayer*> children;  // bound windows, not owned
  float speed = 0.05f;                   // seconds per character
  float typeTimer = 0.05f;               // seconds until the next character
  int32_t marginX = 2, marginY = 2;
  int32_t maxLineBytes = 80;
  int32_t cursor = -1;  // next byte to type; -1 when idle
  int32_t lineBytes = 0;
  int32_t lineIndex = 0;
  int32_t penX = 0;
  int32_t fontSize = 30;
  uint32_t textColour = 0xFFFFFFFFu;
  text::LogicalFont logFont;
  std::unique_ptr<text::Font> font;
  gfx::VertexBufferPtr glyphQuad;
  gfx::TexturePtr glyphTexture;
  void (C_WindowLayer::*glyphRenderer)() = &C_WindowLayer::typeText;
  uint8_t fontType = 0;
  char faceName[63] = {};
  int32_t fontWeight = 0;
  float textArea[4] = {0, 0, 0, 0};
  float textAreaWidth = 0.0f, textAreaHeight = 0.0f;
  float textOffsetX = 0.0f, textOffsetY = 0.0f;
  std::unique_ptr<layer::C_Sprite> textTarget;
  std::array<std::unique_ptr<layer::C_Sprite>, kCursorChipCount> cursorChips;
  float chipOffsetX = 0.0f, chipOffsetY = 0.0f;
  scene::C_BaseScene* owner = nullptr;
  std::vector<ScreenVertex> frameMesh;
  gfx::VertexBufferPtr frameMeshBuffer;

 protected:
  // Makes the text target the render target, clears it to transparent black and depth 1, and
  // restores the previous target.
  void clearTextTarget();
  // Replaces the text target by a new one of the area's size (none when that fails).
  void createTextTarget();
  // The frame mesh of "win_h.png" for the current slot's rectangle, copied into its buffer.
  void buildFrameMesh();
  // The click-wait cursor (drawTextTarget's last step).
  void drawClickCursor();
  // Ends the page: layout state 0, no request, idle, finished.
  void finishPage();
  bool hasCursorChips() const { return cursorChips[0] != nullptr; }

 private:
  // A window that never got a usable font (or whose glyph texture or quad could not be made)
  // consumes its characters without drawing them, so its pages still finish.
  bool glyphResourcesMissing() const { return !font || !glyphTexture || !glyphQuad; }
  // Draws the glyph texture nine times into the text target: the outline, then the text.
  bool drawGlyphQuads(const GlyphQuad& quad);
  // The glyph texture for the next character of this typing step (see glyphTextures_).
  const gfx::TexturePtr& nextGlyphTexture();
  // The text target is made the render target at the step's first character and the saved
  // target is put back when the step ends, instead of once per character: the same drawing,
  // without making the renderer finish its work at every switch.
  bool bindTextTarget();
  void unbindTextTarget();

  std::vector<uint8_t> glyphBits_;  // the last character's grey bitmap
  // Characters typed in one step each get a texture of their own (up to a limit), so no texture
  // that queued draws still read is filled again, which would make the renderer finish them
  // first. The first is the one setFont makes; glyphTexture is the one in use.
  std::vector<gfx::TexturePtr> glyphTextures_;
  size_t nextGlyphTexture_ = 0;
  bool textTargetBound_ = false;
  gfx::SurfacePtr savedTarget_, savedDepth_;
};

}  // namespace window
