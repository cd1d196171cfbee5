// Picture decoding and encoding with SDL2_image: any format it reads, as 0xAARRGGBB words.
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "gfx/Image.h"

namespace gfx {

void prepareImageDecoders() { IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG); }

// SDL keeps the thread's error text in storage it frees itself only for its own threads.
void releaseImageDecoderThread() { SDL_TLSCleanup(); }

int32_t decodeWithBackend(ImageFileFormat format, const uint8_t* data, size_t size, Image& out, std::string* error) {
  out = Image{};
  if (!data || size == 0 || size > 0x7FFFFFFF) {
    if (error) *error = "no picture data";
    return result::InvalidData;
  }
  // Only the loader of the format the header named: the generic loader would try every format
  // SDL_image knows.
  SDL_Surface* (*load)(SDL_RWops*) = nullptr;
  switch (format) {
    case ImageFileFormat::Png: load = IMG_LoadPNG_RW; break;
    case ImageFileFormat::Jpg: load = IMG_LoadJPG_RW; break;
    case ImageFileFormat::Bmp: load = IMG_LoadBMP_RW; break;
    case ImageFileFormat::Tga: load = IMG_LoadTGA_RW; break;
    default: break;
  }
  if (!load) {
    if (error) *error = "not a picture format the engine reads";
    return result::InvalidData;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  SDL_Surface* surface = rw ? load(rw) : nullptr;
  if (rw) SDL_RWclose(rw);
  if (!surface) {
    if (error) *error = IMG_GetError();
    return result::InvalidData;
  }
  if (surface->w <= 0 || surface->h <= 0 || uint32_t(surface->w) > MaxImageSide ||
      uint32_t(surface->h) > MaxImageSide) {
    SDL_FreeSurface(surface);
    if (error) *error = "picture size out of range";
    return result::InvalidData;
  }
  // A colour key (palette pictures with one transparent entry) becomes alpha 0.
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(surface);
  if (!argb) {
    if (error) *error = SDL_GetError();
    return result::InvalidData;
  }
  out.width = argb->w;
  out.height = argb->h;
  out.pixels.resize(size_t(argb->w) * size_t(argb->h));
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y)
    std::memcpy(&out.pixels[size_t(y) * size_t(argb->w)],
                static_cast<const uint8_t*>(argb->pixels) + size_t(y) * size_t(argb->pitch), size_t(argb->w) * 4);
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  return result::Ok;
}

namespace {

bool encode(const Image& image, std::vector<uint8_t>& out, bool png, int quality) {
  out.clear();
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() != size_t(image.width) * size_t(image.height))
    return false;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(image.pixels.data()), image.width, image.height, 32,
                                         image.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return false;
  SDL_RWops* rw = SDL_AllocRW();
  bool ok = false;
  // A growing memory stream: SDL has none built in.
  struct Sink {
    std::vector<uint8_t>* bytes;
    size_t position;
  } sink{&out, 0};
  if (rw) {
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = &sink;
    rw->size = [](SDL_RWops* ctx) -> Sint64 {
      return Sint64(static_cast<Sink*>(ctx->hidden.unknown.data1)->bytes->size());
    };
    rw->seek = [](SDL_RWops* ctx, Sint64 offset, int whence) -> Sint64 {
      Sink* s = static_cast<Sink*>(ctx->hidden.unknown.data1);
      Sint64 base = whence == RW_SEEK_SET ? 0 : whence == RW_SEEK_CUR ? Sint64(s->position) : Sint64(s->bytes->size());
      if (base + offset < 0) return -1;
      s->position = size_t(base + offset);
      return Sint64(s->position);
    };
    rw->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
    rw->write = [](SDL_RWops* ctx, const void* ptr, size_t size, size_t num) -> size_t {
      Sink* s = static_cast<Sink*>(ctx->hidden.unknown.data1);
      const size_t n = size * num;
      if (s->position + n > s->bytes->size()) s->bytes->resize(s->position + n);
      std::memcpy(s->bytes->data() + s->position, ptr, n);
      s->position += n;
      return num;
    };
    rw->close = [](SDL_RWops* ctx) -> int {
      SDL_FreeRW(ctx);
      return 0;
    };
    ok = (png ? IMG_SavePNG_RW(surface, rw, 1) : IMG_SaveJPG_RW(surface, rw, 1, quality)) == 0;
  }
  SDL_FreeSurface(surface);
  if (!ok) out.clear();
  return ok && !out.empty();
}

}  // namespace

bool encodePng(const Image& image, std::vector<uint8_t>& out) { return encode(image, out, true, 0); }
bool encodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out) {
  return encode(image, out, false, quality);
}

}  // namespace gfx
