// The OpenGL preload: which files it picks, and that a missing file is only a failed preload.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/GraphicsPreload.h"

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(GraphicsPreload, SoftwareRenderingPicksTheRasteriserFromTheDriverFolder) {
  ScopedEnv software("LIBGL_ALWAYS_SOFTWARE", "1");
  {
    ScopedEnv folder("LIBGL_DRIVERS_PATH", "/opt/mesa/dri:/usr/lib/dri");
    const platform::GraphicsPreloadFiles files = platform::graphicsFilesToPreload();
    EXPECT_EQ(files.glLibrary, "libGL.so.1");
    EXPECT_EQ(files.driver, "/opt/mesa/dri/swrast_dri.so");
  }
  ScopedEnv noFolder("LIBGL_DRIVERS_PATH", nullptr);
  const std::string driver = platform::graphicsFilesToPreload().driver;
  EXPECT_TRUE(driver.size() >= 13 && driver.compare(driver.size() - 13, 13, "swrast_dri.so") == 0) << driver;
}

TEST(GraphicsPreload, MissingFilesFailQuietly) {
  struct Case {
    const char* label;
    platform::GraphicsPreloadFiles files;
  };
  const Case cases[] = {
      {"no such library", {"libNoSuchGL.so.9", ""}},
      {"no such driver", {"", "/nonexistent/folder/swrast_dri.so"}},
      {"driver by name beside a missing library", {"libNoSuchGL.so.9", "swrast_dri.so"}},
  };
  for (const Case& c : cases) {
    platform::GraphicsPreload preload(c.files);
    EXPECT_FALSE(preload.finish()) << c.label;
    EXPECT_FALSE(preload.finish()) << c.label << " (asked twice)";
  }
}

TEST(GraphicsPreload, TheLibraryIsLoadedOnceTheWorkerIsDone) {
  platform::GraphicsPreload preload({"libGL.so.1", ""});
  if (!preload.finish()) GTEST_SKIP() << "no libGL.so.1 here";
  void* loaded = ::dlopen("libGL.so.1", RTLD_LAZY | RTLD_NOLOAD);
  EXPECT_NE(loaded, nullptr);
  if (loaded) ::dlclose(loaded);
}

}  // namespace
