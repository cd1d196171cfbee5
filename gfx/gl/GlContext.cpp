// OpenGL 3.3 core contexts: SDL2 on the desktop window, EGL surfaceless for headless runs.
#include "gfx/gl/GlContext.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>
#include <epoxy/glx.h>

#include <atomic>
#include <cstdlib>

namespace gfx::gl {

namespace {

// Mesa reads this switch when a driver is loaded; it selects llvmpipe / softpipe.
void requestSoftwareRasteriser(bool on) {
  if (on) setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
}

class SdlContext final : public GlContext {
 public:
  SdlContext(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {
    SDL_AddEventWatch(&SdlContext::watch, this);
  }
  ~SdlContext() override {
    SDL_DelEventWatch(&SdlContext::watch, this);
    if (gc_) XFreeGC(display_, gc_);
    if (context_) SDL_GL_DeleteContext(context_);
  }
  bool makeCurrent() override { return SDL_GL_MakeCurrent(window_, context_) == 0; }
  void swapBuffers() override { SDL_GL_SwapWindow(window_); }
  bool hasWindow() const override { return true; }
  bool takeWindowDamaged() override { return damaged_.exchange(false); }
  // Mesa's sub-buffer copy on an X11 GLX window; other platforms present in full.
  bool presentRegion(int x, int y, int width, int height) override {
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable) return false;
    if (subBufferCopy_ < 0)
      subBufferCopy_ = epoxy_has_glx_extension(display, DefaultScreen(display), "GLX_MESA_copy_sub_buffer") ? 1 : 0;
    if (!subBufferCopy_) return false;
    glFlush();
    glXCopySubBufferMESA(display, drawable, x, y, width, height);
    return true;
  }
  void drawableSize(int& width, int& height) override { SDL_GL_GetDrawableSize(window_, &width, &height); }
  // An X11 window of the usual 24- or 32-bit true colour takes the pixels as they are: one
  // request, nothing to wait for.
  bool canPresentPixels() override {
    if (!x11Checked_) {
      x11Checked_ = true;
      openX11();
    }
    return gc_ != nullptr;
  }
  bool presentPixels(int x, int y, int width, int height, const uint32_t* pixels) override {
    if (!canPresentPixels()) return false;
    // The caller's pixels described in place, memory order B, G, R, A; Xlib converts them for a
    // server that wants another byte order or pixel size.
    XImage image{};
    image.width = width;
    image.height = height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(pixels));
    image.byte_order = LSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = LSBFirst;
    image.bitmap_pad = 32;
    image.depth = depth_;
    image.bytes_per_line = width * 4;
    image.bits_per_pixel = 32;
    image.red_mask = 0xFF0000;
    image.green_mask = 0xFF00;
    image.blue_mask = 0xFF;
    if (!XInitImage(&image)) return false;
    XPutImage(display_, xWindow_, gc_, &image, 0, 0, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display_);
    return true;
  }

 private:
  // Runs on the thread that pumps events, as they are queued.
  static int watch(void* self, SDL_Event* e) {
    auto* c = static_cast<SdlContext*>(self);
    if (e->type != SDL_WINDOWEVENT || e->window.windowID != SDL_GetWindowID(c->window_)) return 0;
    switch (e->window.event) {
      case SDL_WINDOWEVENT_EXPOSED:
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_SIZE_CHANGED: c->damaged_ = true; break;
      default: break;
    }
    return 0;
  }

  void openX11() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window_, &info) || info.subsystem != SDL_SYSWM_X11) return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a) || !a.visual) return;
    if ((a.depth != 24 && a.depth != 32) || a.visual->red_mask != 0xFF0000 || a.visual->green_mask != 0xFF00 ||
        a.visual->blue_mask != 0xFF)
      return;
    display_ = info.info.x11.display;
    xWindow_ = info.info.x11.window;
    depth_ = a.depth;
    gc_ = XCreateGC(display_, xWindow_, 0, nullptr);
  }

  SDL_Window* window_;
  SDL_GLContext context_;
  std::atomic<bool> damaged_{false};
  int subBufferCopy_ = -1;
  // The X11 window behind the SDL window, for presentPixels.
  bool x11Checked_ = false;
  Display* display_ = nullptr;
  ::Window xWindow_ = 0;
  int depth_ = 0;
  GC gc_ = nullptr;
};

// One EGL display for the process, initialised on first use and kept: contexts come and go with
// devices. Terminating it would unload the driver while the driver still holds state of its own,
// which then shows up at exit as memory of no known module.
struct EglDisplay {
  EGLDisplay display = EGL_NO_DISPLAY;
};
EglDisplay g_egl;

class EglContext final : public GlContext {
 public:
  explicit EglContext(EGLContext context) : context_(context) {}
  ~EglContext() override {
    eglMakeCurrent(g_egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(g_egl.display, context_);
  }
  bool makeCurrent() override {
    return eglMakeCurrent(g_egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
  }
  void swapBuffers() override {}
  bool hasWindow() const override { return false; }
  void drawableSize(int& width, int& height) override { width = height = 0; }

 private:
  EGLContext context_;
};

}  // namespace

std::unique_ptr<GlContext> createSdlContext(void* sdlWindow, bool forceSoftware, std::string* error) {
  auto* window = static_cast<SDL_Window*>(sdlWindow);
  if (!window) {
    if (error) *error = "no window";
    return nullptr;
  }
  requestSoftwareRasteriser(forceSoftware);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, forceSoftware ? 0 : 1);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    if (error) *error = SDL_GetError();
    return nullptr;
  }
  // Presentation does not wait for the vertical retrace: the frame loop paces frames.
  SDL_GL_SetSwapInterval(0);
  return std::make_unique<SdlContext>(window, context);
}

std::unique_ptr<GlContext> createEglSurfacelessContext(bool forceSoftware, std::string* error) {
  if (g_egl.display == EGL_NO_DISPLAY) {
    requestSoftwareRasteriser(forceSoftware);
    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
      if (error) *error = "no surfaceless EGL display";
      return nullptr;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
      if (error) *error = "eglInitialize failed";
      return nullptr;
    }
    g_egl.display = display;
  }
  auto fail = [&](const char* what) -> std::unique_ptr<GlContext> {
    if (error) *error = what;
    return nullptr;
  };
  if (!eglBindAPI(EGL_OPENGL_API)) return fail("eglBindAPI(OpenGL) failed");
  const EGLint attributes[] = {
      EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
      EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(g_egl.display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) return fail("no OpenGL 3.3 core context");
  auto result = std::make_unique<EglContext>(context);
  if (!result->makeCurrent()) {
    if (error) *error = "eglMakeCurrent failed";
    return nullptr;
  }
  return result;
}

}  // namespace gfx::gl
