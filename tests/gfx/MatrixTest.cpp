// The D3DX matrix helpers against worked test vectors, and unproject.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/Matrix.h"

namespace {

using gfx::Matrix;
using gfx::Vec3;

void expectRows(const Matrix& m, const float (&rows)[4][4]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m.m[i][j], rows[i][j], 1e-6f) << "row " << i << " col " << j;
}

TEST(Matrix, WorkedMatricesOfTheTwoDimensionalSetUp) {
  // The look-at from (0,0,-10) to the origin is a translation by +10 in z.
  const float v0[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}};
  expectRows(Matrix::lookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}), v0);

  // The centred projection: origin at the screen centre, y down, z/20 + 0.5.
  const float w = 1024, h = 768;
  const float pc[4][4] = {{2 / w, 0, 0, 0}, {0, -2 / h, 0, 0}, {0, 0, 1.0f / 20, 0}, {0, 0, 0.5f, 1}};
  expectRows(Matrix::orthoOffCenterLH(-w / 2, w / 2, h / 2, -h / 2, -10, 10), pc);

  const float pf[4][4] = {{2 / w, 0, 0, 0}, {0, 2 / h, 0, 0}, {0, 0, 1.0f / 29, 0}, {0, 0, -1.0f / 29, 1}};
  expectRows(Matrix::orthoLH(w, h, 1, 30), pf);

  // A point at world z 0 seen through V0 and Pf lands at depth 9/29.
  const Vec3 p = gfx::transformCoord(
      {0, 0, 0}, Matrix::lookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}) * Matrix::orthoLH(w, h, 1, 30));
  EXPECT_NEAR(p.z, 9.0f / 29.0f, 1e-6f);
}

TEST(Matrix, RotationsTurnAxesTheD3DWay) {
  struct Case {
    Matrix m;
    Vec3 in, out;
  } cases[] = {
      {Matrix::rotationZ(float(M_PI / 2)), {1, 0, 0}, {0, 1, 0}},
      {Matrix::rotationX(float(M_PI / 2)), {0, 1, 0}, {0, 0, 1}},
      {Matrix::rotationY(float(M_PI / 2)), {0, 0, 1}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    const Vec3 r = gfx::transformCoord(c.in, c.m);
    EXPECT_NEAR(r.x, c.out.x, 1e-6f);
    EXPECT_NEAR(r.y, c.out.y, 1e-6f);
    EXPECT_NEAR(r.z, c.out.z, 1e-6f);
  }
  // "Apply A, then B": scaling then translation moves the scaled point.
  const Vec3 r = gfx::transformCoord({1, 1, 0}, Matrix::scaling(2, 3, 1) * Matrix::translation(10, 20, 0));
  EXPECT_FLOAT_EQ(r.x, 12.0f);
  EXPECT_FLOAT_EQ(r.y, 23.0f);
}

TEST(Matrix, UnprojectOfTheClickRay) {
  const float w = 1024, h = 768;
  const Matrix view = Matrix::lookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
  const Matrix proj = Matrix::orthoLH(w, h, 1, 30);
  const gfx::Viewport vp{0, 0, 1024, 768, 0, 1};
  const float mx = 100, my = -50;
  Vec3 out;
  ASSERT_TRUE(gfx::unproject({mx + w / 2, my + h / 2, 0.87f}, vp, proj, view, Matrix::identity(), out));
  EXPECT_NEAR(out.x, mx, 1e-3f);
  EXPECT_NEAR(out.y, -my, 1e-3f);
  EXPECT_NEAR(out.z, 16.23f, 1e-3f);
  ASSERT_TRUE(gfx::unproject({mx + w / 2, my + h / 2, 1.0f}, vp, proj, view, Matrix::identity(), out));
  EXPECT_NEAR(out.z, 20.0f, 1e-3f);

  // Round trip through project.
  const Matrix world = Matrix::rotationZ(0.3f) * Matrix::translation(5, -7, 2);
  const Vec3 p{12, 34, 3};
  const Vec3 ndc = gfx::transformCoord(p, world * view * proj);
  const Vec3 screen{(ndc.x + 1) * w / 2, (1 - ndc.y) * h / 2, ndc.z};
  ASSERT_TRUE(gfx::unproject(screen, vp, proj, view, world, out));
  EXPECT_NEAR(out.x, p.x, 1e-2f);
  EXPECT_NEAR(out.y, p.y, 1e-2f);
  EXPECT_NEAR(out.z, p.z, 1e-2f);

  Matrix singular = Matrix::scaling(0, 1, 1);
  Matrix inv;
  EXPECT_FALSE(gfx::inverse(singular, inv));
}

}  // namespace
