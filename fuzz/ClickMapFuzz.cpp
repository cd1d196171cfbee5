// Click-map BMPs: the header checks, the row copy and a lookup at every corner and the middle.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "chara/ClickMap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  layer::ClickMap map;
  if (chara::ParseClickMap(data, size, map)) {
    for (float u : {0.0f, 0.5f, 0.999f})
      for (float v : {0.0f, 0.5f, 0.999f}) (void)chara::ClickMapIndexAt(map, u, v);
  }
  fuzz::ForgetMessageBoxes();
  return 0;
}
