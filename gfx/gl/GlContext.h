// The OpenGL 3.3 core contexts the device renders with: one on the desktop window (SDL2), one
// without any window (EGL on Mesa's surfaceless platform).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gfx::gl {

class GlContext {
 public:
  virtual ~GlContext() = default;
  virtual bool makeCurrent() = 0;
  // Shows the window's default framebuffer (nothing headless).
  virtual void swapBuffers() = 0;
  // True when the context draws into a window whose default framebuffer receives Present.
  virtual bool hasWindow() const = 0;
  // The window's drawable size in pixels (0 headless).
  virtual void drawableSize(int& width, int& height) = 0;
  // True once after the window's shown contents were lost or resized (exposed, restored), so an
  // unchanged frame must be presented again.
  virtual bool takeWindowDamaged() { return false; }
  // Shows only this rectangle of the window's back buffer (window pixels, bottom row 0), the
  // rest staying as last shown; false when the platform cannot.
  virtual bool presentRegion(int /*x*/, int /*y*/, int /*width*/, int /*height*/) { return false; }
  // Shows these pixels (0xAARRGGBB, rows top first, width apart) at (x, y) of the window, top
  // row 0, without going through the back buffer, where canPresentPixels; false when it failed.
  virtual bool canPresentPixels() { return false; }
  virtual bool presentPixels(int /*x*/, int /*y*/, int /*width*/, int /*height*/, const uint32_t* /*pixels*/) {
    return false;
  }
};

// forceSoftware asks Mesa for its software rasteriser.
std::unique_ptr<GlContext> createSdlContext(void* sdlWindow, bool forceSoftware, std::string* error);
std::unique_ptr<GlContext> createEglSurfacelessContext(bool forceSoftware, std::string* error);

}  // namespace gfx::gl
