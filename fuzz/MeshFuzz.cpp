// Solid-character meshes: the first byte picks the full text mesh, the flat picture quad or the
// binary format; a mesh that parses is taken into a character mesh, shaken and stepped for a
// few frames, as the character layer does with a file it has just read.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "chara/SolidMesh.h"
#include "chara/SolidMeshLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t kind = data[0] % 3;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  chara::SolidMeshData parsed;
  bool ok = false;
  switch (kind) {
    case 0: ok = chara::ParseMeshText(text.substr(0, chara::MaxMeshTextBytes), parsed); break;
    case 1: ok = chara::ParseFlatText(text.substr(0, chara::MaxMeshTextBytes), parsed); break;
    default: ok = chara::ParseMeshBinary(data + 1, size - 1, "chara\\", parsed); break;
  }
  if (ok) {
    chara::SolidMesh mesh;
    chara::TakeMeshData(mesh, std::move(parsed));
    chara::Shake(mesh, 3.0f, 2.0f, 1.0f, 0.9f, 500);
    chara::StartAutoShake(mesh, chara::DefaultAutoPeriod, 1.0f, 0.5f);
    std::vector<chara::SolidVertex> vertices(size_t(mesh.vertexCount));
    for (int frame = 0; frame < 3; ++frame) chara::StepShakePhysics(mesh, 0xFFFFFFFFu, 17, 17, vertices.data());
  }
  fuzz::ForgetMessageBoxes();
  return 0;
}
