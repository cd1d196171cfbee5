// The solid mesh: taking a file's data, shakes, device buffers and the spring step.
#include "chara/SolidMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace chara {

namespace {
void report(const std::string& message) { platform::messageBox(message, "ERROR", platform::mb::Ok); }
}  // namespace

void TakeMeshData(SolidMesh& mesh, SolidMeshData&& data) {
  const size_t n = size_t(std::max<int16_t>(data.vertexCount, 0));
  mesh.vertexCount = int16_t(n);
  mesh.indexCount = std::max<int16_t>(data.indexCount, 0);
  mesh.shakeRate = data.shakeRate;
  mesh.positions = std::move(data.positions);
  mesh.indices = std::move(data.indices);
  mesh.uvs = std::move(data.uvs);
  mesh.weights = std::move(data.weights);
  mesh.returnRates = std::move(data.returnRates);
  // The loaders size every array by the counts; anything else is cut or padded with zeros.
  mesh.positions.resize(n * 3, 0.0f);
  mesh.indices.resize(size_t(mesh.indexCount), 0);
  mesh.uvs.resize(n * 2, 0.0f);
  mesh.weights.resize(n, 0.0f);
  mesh.returnRates.resize(n, 0.0f);

  mesh.autoShakeOn = false;
  mesh.autoPeriod = DefaultAutoPeriod;
  mesh.autoPower = 0.0f;
  mesh.autoAngle = 0.0f;
  mesh.displacement.assign(n * 3, 0.0f);
  mesh.velocity.assign(n * 3, 0.0f);
  mesh.force.assign(n * 3, 0.0f);

  mesh.minX = mesh.minY = mesh.minZ = 99999.0f;
  mesh.maxX = mesh.maxY = mesh.maxZ = -99999.0f;
  for (size_t i = 0; i < n; ++i) {
    const float* p = &mesh.positions[i * 3];
    mesh.minX = std::min(mesh.minX, p[0]);
    mesh.maxX = std::max(mesh.maxX, p[0]);
    mesh.minY = std::min(mesh.minY, p[1]);
    mesh.maxY = std::max(mesh.maxY, p[1]);
    mesh.minZ = std::min(mesh.minZ, p[2]);
    mesh.maxZ = std::max(mesh.maxZ, p[2]);
  }
  for (size_t i = 0; i < n; ++i) {
    mesh.weights[i] = mesh.weights[i] * mesh.shakeRate;
    mesh.positions[i * 3 + 2] = mesh.positions[i * 3 + 2] * mesh.shakeRate * 0.1f;
    mesh.returnRates[i] = 0.85f - mesh.returnRates[i] * 0.1f;
  }
}

void FreeMeshData(SolidMesh& mesh) {
  mesh.positions.clear();
  mesh.indices.clear();
  mesh.uvs.clear();
  mesh.weights.clear();
  mesh.returnRates.clear();
  mesh.displacement.clear();
  mesh.velocity.clear();
  mesh.force.clear();
  mesh.vertexCount = 0;
  mesh.indexCount = 0;
  mesh.vertexBuffer.reset();
  mesh.indexBuffer.reset();
  mesh.alphaMask.clear();
  mesh.maskWidth = mesh.maskHeight = 0;
  mesh.name[0] = '\0';
}

void Shake(SolidMesh& mesh, float powerH, float powerV, float powerZ, float decay, int32_t rangeTimeMs) {
  // A power or decay that is not a number would stay in the spring for good: it counts as 0.
  const auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
  powerH = finite(powerH);
  powerV = finite(powerV);
  powerZ = finite(powerZ);
  decay = finite(decay);
  for (size_t i = 0; i + 2 < mesh.force.size(); i += 3) {
    mesh.force[i] += powerH;
    mesh.force[i + 1] += powerV;
    mesh.force[i + 2] += powerZ;
  }
  mesh.forceDecay = decay;
  mesh.forceTime = rangeTimeMs;
}

void StartAutoShake(SolidMesh& mesh, float periodMs, float power, float angleRadians) {
  mesh.autoShakeOn = true;
  mesh.autoPeriod = periodMs / 6.283185f;
  mesh.autoPower = power;
  mesh.autoAngle = angleRadians;
}

void StopAutoShake(SolidMesh& mesh) { mesh.autoShakeOn = false; }

void CreateMeshBuffers(SolidMesh& mesh) {
  gfx::Device* device = engine::context().device;
  if (!device || !mesh.hasVertexData() || mesh.indexCount <= 0) return;
  const size_t n = size_t(mesh.vertexCount);
  // The vertex buffer is rewritten every frame by the spring step; the index buffer once here.
  if (device->createVertexBuffer(uint32_t(n * sizeof(SolidVertex)), gfx::usage::Dynamic | gfx::usage::WriteOnly,
                                 SolidMeshFvf, gfx::Pool::Default, mesh.vertexBuffer) != gfx::result::Ok) {
    mesh.vertexBuffer.reset();
    report(CP932("2.5Dキャラ用頂点バッファの生成に失敗"));
    return;
  }
  if (device->createIndexBuffer(uint32_t(mesh.indexCount) * 2, gfx::usage::Dynamic, gfx::Pool::Default,
                                mesh.indexBuffer) != gfx::result::Ok) {
    mesh.indexBuffer.reset();
    report(CP932("2.5Dキャラ用インデックスバッファの生成に失敗"));
    return;
  }
  // The vertices start at their rest positions.
  void* data = nullptr;
  if (mesh.vertexBuffer->lock(0, 0, &data) != gfx::result::Ok || !data) {
    report(CP932("2.5Dキャラ用頂点バッファのロックに失敗"));
  } else {
    SolidVertex* v = static_cast<SolidVertex*>(data);
    for (size_t i = 0; i < n; ++i)
      v[i] = SolidVertex{mesh.positions[i * 3], mesh.positions[i * 3 + 1], mesh.positions[i * 3 + 2], 0.0f, 0.0f, -1.0f,
                         0xFFFFFFFFu,           mesh.uvs[i * 2],           mesh.uvs[i * 2 + 1]};
    if (mesh.vertexBuffer->unlock() != gfx::result::Ok) report(CP932("2.5Dキャラ用頂点バッファのアンロックに失敗"));
  }
  data = nullptr;
  if (mesh.indexBuffer->lock(0, 0, &data) != gfx::result::Ok || !data) {
    report(CP932("2.5Dキャラ用インデックスバッファのロックに失敗"));
    return;
  }
  std::memcpy(data, mesh.indices.data(), size_t(mesh.indexCount) * 2);
  if (mesh.indexBuffer->unlock() != gfx::result::Ok)
    report(CP932("2.5Dキャラ用インデックスバッファのアンロックに失敗"));
}

void StepShakePhysics(SolidMesh& mesh, uint32_t colour, int32_t frameInterval, int32_t frameDeltaMs, SolidVertex* out) {
  const float a = frameInterval == 17 ? 1.0f : 2.0f;
  const float k = 0.03f * a * a;
  const size_t n = mesh.hasVertexData() ? size_t(mesh.vertexCount) : 0;
  float* disp = mesh.displacement.data();
  float* vel = mesh.velocity.data();
  const float* force = mesh.force.data();
  const float* rest = mesh.positions.data();
  const float* uv = mesh.uvs.data();
  for (size_t i = 0; i < n; ++i) {
    float* d = disp + i * 3;
    const float* p = rest + i * 3;
    const float w = -mesh.weights[i];
    float x = p[0], y = p[1], z = p[2];
    if (w > 0.0f) {
      float* v = vel + i * 3;
      const float* f = force + i * 3;
      d[0] += -f[0] * 0.02f * w;
      d[1] += f[1] * 0.02f * w;
      d[2] += f[2] * 0.02f * w;
      const float limit = 0.3f * w;
      const float rr = mesh.returnRates[i];
      for (int c = 0; c < 3; ++c) {
        d[c] = std::clamp(d[c], -limit, limit);
        v[c] -= (d[c] / 0.3f) * k;
        d[c] += v[c];
        v[c] *= rr;
      }
      x += d[0];
      y += d[1];
      z += d[2];
    }
    if (out) out[i] = SolidVertex{x, y, z, 0.0f, 0.0f, -1.0f, colour, uv[i * 2], uv[i * 2 + 1]};
  }
  if (mesh.forceTime < 1) {
    std::fill(mesh.force.begin(), mesh.force.end(), 0.0f);
  } else {
    mesh.forceTime -= frameDeltaMs;
    for (float& f : mesh.force) f *= mesh.forceDecay;
  }
}

}  // namespace chara
