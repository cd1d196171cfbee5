// One deformable mesh of a solid character: the file's data, the per-vertex shake state, the
// device buffers and the spring step that moves the soft vertices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Device.h"
#include "gfx/Matrix.h"

namespace chara {

// A mesh file's contents before the shake post-processing (arrays sized by the counts and
// zeroed, so a value the file does not give is 0).
struct SolidMeshData {
  int16_t vertexCount = 0;
  int16_t indexCount = 0;
  float shakeRate = 0.0f;
  std::string pictureName;
  std::vector<float> positions;    // vertexCount x 3
  std::vector<uint16_t> indices;   // indexCount
  std::vector<float> uvs;          // vertexCount x 2
  std::vector<float> weights;      // vertexCount
  std::vector<float> returnRates;  // vertexCount
};

// The vertex of the mesh's buffer: position, normal, diffuse, texture coordinates.
struct SolidVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;
  float u, v;
};
static_assert(sizeof(SolidVertex) == 36, "the mesh vertex is 36 bytes");
constexpr uint32_t SolidMeshFvf = gfx::fvf::Xyz | gfx::fvf::Normal | gfx::fvf::Diffuse | gfx::fvf::Tex1;

// The auto-shake period after every load: 1000 ms over 2 pi.
constexpr float DefaultAutoPeriod = 159.155f;

struct SolidMesh {
  char name[128] = {};
  gfx::VertexBufferPtr vertexBuffer;
  gfx::IndexBufferPtr indexBuffer;
  int16_t vertexCount = 0;
  int16_t indexCount = 0;
  float minX = 99999.0f, maxX = -99999.0f;
  float minY = 99999.0f, maxY = -99999.0f;
  float minZ = 99999.0f, maxZ = -99999.0f;
  std::vector<float> positions;
  std::vector<uint16_t> indices;
  std::vector<float> uvs;
  std::vector<float> weights;
  float shakeRate = 0.0f;
  std::vector<float> returnRates;
  std::vector<float> displacement;
  std::vector<float> velocity;
  std::vector<float> force;
  float forceDecay = 0.0f;
  int32_t forceTime = 0;
  bool autoShakeOn = false;
  float autoPeriod = DefaultAutoPeriod;
  float autoPower = 0.0f;
  float autoAngle = 0.0f;
  float autoOffset[3] = {0.0f, 0.0f, 0.0f};
  bool releasePending = false;
  bool strongPull = false;
  gfx::Matrix worldMatrix;
  // The alpha of the picture's texture (level 0, top row first), kept at load so the mouse test
  // reads it without locking the texture every frame.
  std::vector<uint8_t> alphaMask;
  int32_t maskWidth = 0, maskHeight = 0;

  bool hasVertexData() const { return vertexCount > 0 && !positions.empty(); }
  bool hasBuffers() const { return vertexBuffer && indexBuffer; }
};

// Takes a file's data into the mesh: bounds over the positions as read, then the shake
// scaling (weight x shakeRate, z x shakeRate x 0.1, return rate 0.85 - rate x 0.1), the shake
// state zeroed and the auto shake off with its defaults.
void TakeMeshData(SolidMesh& mesh, SolidMeshData&& data);

// Frees the arrays and the device buffers and empties the name (the shake settings stay).
void FreeMeshData(SolidMesh& mesh);

// Shake: adds the power to the force of every vertex, then sets how it fades.
void Shake(SolidMesh& mesh, float powerH, float powerV, float powerZ, float decay, int32_t rangeTimeMs);
void StartAutoShake(SolidMesh& mesh, float periodMs, float power, float angleRadians);
void StopAutoShake(SolidMesh& mesh);

// Creates and fills the vertex and index buffers, reporting a failure with its message.
void CreateMeshBuffers(SolidMesh& mesh);

// One spring step: moves the vertices of negative weight, writes every vertex (rest position
// plus displacement, normal, colour, texture coordinates) to out when given, then lets the
// force fade. frameInterval is the interval setting (17 at 60 frames per second).
void StepShakePhysics(SolidMesh& mesh, uint32_t colour, int32_t frameInterval, int32_t frameDeltaMs, SolidVertex* out);

}  // namespace chara
