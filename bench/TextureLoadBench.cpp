// A decoded picture made into a managed texture on the headless renderer, as the texture factory
// does for every picture a scene shows: the stretch to powers of two, the mip chain and the
// hand-over to the renderer (decoding not included). Reports the work of all threads per picture.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "gfx/Device.h"
#include "gfx/Image.h"
#include "platform/System.h"

namespace {

gfx::Image picture(int32_t w, int32_t h) {
  gfx::Image image;
  image.width = w;
  image.height = h;
  image.pixels.resize(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      image.pixels[size_t(y) * size_t(w) + size_t(x)] =
          0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8;
  return image;
}

double cpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

// Arguments: the picture's width and height (1024 x 768 is stretched to 1024 x 1024; 512 x 1024
// is already a power of two).
void BM_TextureFromPicture(benchmark::State& state) {
  // Large blocks come fresh from the system, as in the game.
  platform::keepLargeBlocksOutOfTheHeap();
  gfx::DeviceConfig config;
  config.kind = gfx::ContextKind::Headless;
  config.backBufferWidth = 64;
  config.backBufferHeight = 64;
  std::string error;
  auto device = gfx::createDevice(config, &error);
  if (!device) {
    state.SkipWithError(error.c_str());
    return;
  }
  const gfx::Image source = picture(int32_t(state.range(0)), int32_t(state.range(1)));
  const double start = cpuMs();
  for (auto _ : state) {
    gfx::Image image = source;
    gfx::TexturePtr texture;
    if (gfx::createTextureFromImage(*device, std::move(image), 0, 0, 0, 0, gfx::Pool::Managed, texture) !=
        gfx::result::Ok) {
      state.SkipWithError("texture not made");
      return;
    }
    device->finish();
    benchmark::DoNotOptimize(texture);
  }
  state.counters["cpu_ms_per_picture"] = (cpuMs() - start) / double(state.iterations());
}
BENCHMARK(BM_TextureFromPicture)->Args({1024, 768})->Args({512, 1024})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
