// The spring step of solid meshes, step by step against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chara/SolidMesh.h"

namespace {

// One soft vertex (weight -1 after scaling, return rate 0.95) at the origin and one fixed
// vertex (weight 0) at (1, 2, 0).
chara::SolidMesh TwoVertexMesh() {
  chara::SolidMeshData d;
  d.vertexCount = 2;
  d.indexCount = 3;
  d.shakeRate = 1.0f;
  d.positions = {0, 0, 0, 1, 2, 0};
  d.indices = {0, 1, 0};
  d.uvs = {0.25f, 0.5f, 1, 1};
  d.weights = {-1, 0};
  d.returnRates = {-1, -1};
  chara::SolidMesh m;
  chara::TakeMeshData(m, std::move(d));
  return m;
}

struct Step {
  float y;         // written y of the soft vertex
  float velocity;  // its velocity after the step
  float force;     // its force after the step
};

void RunSteps(chara::SolidMesh& m, int32_t interval, int32_t delta, const std::vector<Step>& steps, const char* what) {
  chara::SolidVertex out[2];
  for (size_t i = 0; i < steps.size(); ++i) {
    chara::StepShakePhysics(m, 0x80FF0000u, interval, delta, out);
    EXPECT_NEAR(out[0].y, steps[i].y, 1e-6) << what << " step " << i + 1;
    EXPECT_NEAR(m.velocity[1], steps[i].velocity, 1e-6) << what << " step " << i + 1;
    EXPECT_NEAR(m.force[1], steps[i].force, 1e-6) << what << " step " << i + 1;
    // The fixed vertex never moves.
    EXPECT_EQ(out[1].x, 1.0f);
    EXPECT_EQ(out[1].y, 2.0f);
  }
}

TEST(ShakePhysics, AForceOfRangeTimeZeroActsForExactlyOneUpdate) {
  chara::SolidMesh m = TwoVertexMesh();
  chara::Shake(m, 0, 9, 0, 0.95f, 0);
  // d = 9 x 0.02 = 0.18; v = -(0.18 / 0.3) x 0.03 = -0.018; d = 0.162; v x 0.95 = -0.0171.
  // Then without force: v = -0.0171 - 0.0162 = -0.0333; d = 0.1287; v = -0.031635.
  RunSteps(m, 17, 17, {{0.162f, -0.0171f, 0.0f}, {0.1287f, -0.031635f, 0.0f}}, "60 fps");
}

TEST(ShakePhysics, StiffnessIsFourTimesAsHighAtThirtyFramesPerSecond) {
  chara::SolidMesh m = TwoVertexMesh();
  chara::Shake(m, 0, 9, 0, 0.95f, 0);
  // k = 0.12: v = -0.6 x 0.12 = -0.072; d = 0.108; v = -0.0684.
  RunSteps(m, 34, 34, {{0.108f, -0.0684f, 0.0f}}, "30 fps");
}

TEST(ShakePhysics, ForceFadesByItsDecayUntilItsTimeRunsOut) {
  chara::SolidMesh m = TwoVertexMesh();
  chara::Shake(m, 0, 1, 0, 0.5f, 40);
  chara::SolidVertex out[2];
  const float forces[] = {0.5f, 0.25f, 0.125f, 0.0f};
  const int32_t times[] = {23, 6, -11, -11};
  for (int i = 0; i < 4; ++i) {
    chara::StepShakePhysics(m, 0, 17, 17, out);
    EXPECT_FLOAT_EQ(m.force[1], forces[i]) << i;
    EXPECT_EQ(m.forceTime, times[i]) << i;
  }
}

TEST(ShakePhysics, DisplacementIsMirroredInXAndClamped) {
  chara::SolidMesh m = TwoVertexMesh();
  chara::Shake(m, 5, 100, -100, 1.0f, 0);
  chara::SolidVertex out[2];
  chara::StepShakePhysics(m, 0x80FF0000u, 17, 17, out);
  // x: -5 x 0.02 = -0.1 -> v = +0.01, d = -0.09; y and z clamp to +-0.3 -> d = 0.3 - 0.03.
  EXPECT_NEAR(out[0].x, -0.09f, 1e-6);
  EXPECT_NEAR(out[0].y, 0.27f, 1e-6);
  EXPECT_NEAR(out[0].z, -0.27f, 1e-6);
  // Every vertex carries the normal, the slot's colour and its texture coordinates.
  for (const chara::SolidVertex& v : out) {
    EXPECT_EQ(v.nz, -1.0f);
    EXPECT_EQ(v.colour, 0x80FF0000u);
  }
  EXPECT_EQ(out[0].u, 0.25f);
  EXPECT_EQ(out[0].v, 0.5f);
}

TEST(ShakePhysics, ZeroOrPositiveWeightsNeverMove) {
  chara::SolidMesh m = TwoVertexMesh();
  m.weights = {0.0f, 3.0f};
  chara::Shake(m, 50, 50, 50, 1.0f, 1000);
  chara::SolidVertex out[2];
  for (int i = 0; i < 5; ++i) chara::StepShakePhysics(m, 0, 17, 17, out);
  EXPECT_EQ(out[0].x, 0.0f);
  EXPECT_EQ(out[0].y, 0.0f);
  EXPECT_EQ(out[1].y, 2.0f);
  EXPECT_EQ(m.displacement, std::vector<float>(6, 0.0f));
}

TEST(ShakePhysics, ANotANumberShakeLeavesTheSpringAlone) {
  chara::SolidMesh m = TwoVertexMesh();
  const float nan = std::nanf("");
  chara::Shake(m, nan, 9, nan, nan, 100);
  chara::SolidVertex out[2];
  chara::StepShakePhysics(m, 0, 17, 17, out);
  EXPECT_EQ(out[0].x, 0.0f);
  EXPECT_NEAR(out[0].y, 0.162f, 1e-6);
  EXPECT_EQ(m.force[1], 0.0f);  // decay 0
}

}  // namespace
