// Loads the OpenGL library, and the software rasteriser where no graphics processor is there to
// be used, on a worker thread while the start-up questions are up: loading them takes longer
// than anything else before the first frame (the rasteriser's compiler alone is over 100 ms), and
// the window would otherwise wait for it after the player's last answer.
#pragma once

#include <memory>
#include <string>

namespace platform {

struct GraphicsPreloadFiles {
  std::string glLibrary;  // empty: none
  std::string driver;     // a full path; empty: none
};

// What this machine would load for the game's OpenGL window: the library always, the software
// rasteriser's driver only when it is sure to be used (LIBGL_ALWAYS_SOFTWARE set, or no render
// node in /dev/dri). A graphics processor's own driver is left to the windowing library.
GraphicsPreloadFiles graphicsFilesToPreload();

class GraphicsPreload {
 public:
  // Starts loading the files at once; loading the same files later (as the windowing library
  // does) waits for this and then finds them loaded.
  explicit GraphicsPreload(GraphicsPreloadFiles files);
  // Waits for the worker. The libraries stay loaded for the rest of the process: unloading a
  // graphics driver at exit is what drivers handle worst.
  ~GraphicsPreload();
  GraphicsPreload(const GraphicsPreload&) = delete;
  GraphicsPreload& operator=(const GraphicsPreload&) = delete;

  // Waits for the worker; true when every file named was loaded.
  bool finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
