// Backend-independent parts of the device contract.
#include "gfx/Device.h"

namespace gfx {

uint32_t vertexSizeOf(uint32_t f) {
  uint32_t size = (f & fvf::XyzRhw) ? 16 : ((f & fvf::Xyz) ? 12 : 0);
  if (f & fvf::Normal) size += 12;
  if (f & fvf::Diffuse) size += 4;
  if (f & fvf::Tex1) size += 8;
  return size;
}

}  // namespace gfx
