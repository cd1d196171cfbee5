// The graphics preload on POSIX systems: dlopen on a std::thread.
#include "platform/GraphicsPreload.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

namespace platform {

namespace {

constexpr char kGlLibrary[] = "libGL.so.1";

bool renderNodePresent() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec))
    if (entry.path().filename().string().rfind("renderD", 0) == 0) return true;
  return false;
}

// The folder Mesa looks in for drivers: LIBGL_DRIVERS_PATH's first entry, else "dri" beside the
// OpenGL library.
std::string driverFolder(void* glHandle) {
  if (const char* paths = std::getenv("LIBGL_DRIVERS_PATH"); paths && *paths) {
    const std::string all(paths);
    return all.substr(0, all.find(':'));
  }
  link_map* map = nullptr;
  if (!glHandle || dlinfo(glHandle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return {};
  return (std::filesystem::path(map->l_name).parent_path() / "dri").string();
}

}  // namespace

GraphicsPreloadFiles graphicsFilesToPreload() {
  GraphicsPreloadFiles files;
  files.glLibrary = kGlLibrary;
  const char* software = std::getenv("LIBGL_ALWAYS_SOFTWARE");
  const bool softwareSure = (software && *software && std::string(software) != "0") || !renderNodePresent();
  if (!softwareSure) return files;
  // The folder is read from the library already loaded by this process, if any (a quick look
  // that loads nothing: RTLD_NOLOAD).
  void* gl = dlopen(kGlLibrary, RTLD_LAZY | RTLD_NOLOAD);
  std::string folder = driverFolder(gl);
  if (gl) dlclose(gl);
  if (folder.empty()) {
    // Not loaded yet: the worker finds the folder once it has loaded the library.
    files.driver = "swrast_dri.so";
    return files;
  }
  files.driver = (std::filesystem::path(folder) / "swrast_dri.so").string();
  return files;
}

struct GraphicsPreload::Impl {
  std::thread worker;
  bool loaded = false;
};

GraphicsPreload::GraphicsPreload(GraphicsPreloadFiles files) : impl_(std::make_unique<Impl>()) {
  impl_->worker = std::thread([impl = impl_.get(), files = std::move(files)] {
    bool ok = true;
    void* gl = nullptr;
    if (!files.glLibrary.empty()) {
      gl = dlopen(files.glLibrary.c_str(), RTLD_NOW | RTLD_GLOBAL);
      ok = gl != nullptr;
    }
    if (!files.driver.empty()) {
      std::string path = files.driver;
      // A bare name is looked for in the OpenGL library's driver folder.
      if (path.find('/') == std::string::npos) {
        const std::string folder = driverFolder(gl);
        path = folder.empty() ? std::string() : (std::filesystem::path(folder) / path).string();
      }
      std::error_code ec;
      ok = ok && !path.empty() && std::filesystem::exists(path, ec) && dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    impl->loaded = ok;
  });
}

bool GraphicsPreload::finish() {
  if (impl_->worker.joinable()) impl_->worker.join();
  return impl_->loaded;
}

GraphicsPreload::~GraphicsPreload() { finish(); }

}  // namespace platform
