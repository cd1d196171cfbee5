// Row-vector 4x4 matrices and the helpers that build them, laid out and composed as D3DX does.
#pragma once

namespace gfx {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

// Stored row-major: m[row][col]. A point transforms as p' = p * M, translations sit in row 3.
struct Matrix {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

  static Matrix identity() { return Matrix{}; }
  static Matrix scaling(float sx, float sy, float sz);
  static Matrix translation(float tx, float ty, float tz);
  static Matrix rotationX(float radians);
  static Matrix rotationY(float radians);
  static Matrix rotationZ(float radians);
  static Matrix orthoLH(float w, float h, float zn, float zf);
  static Matrix orthoOffCenterLH(float l, float r, float b, float t, float zn, float zf);
  static Matrix lookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);
  static Matrix perspectiveFovLH(float fovY, float aspect, float zn, float zf);

  // "this, then other": (*this) * other.
  Matrix operator*(const Matrix& other) const;
  bool operator==(const Matrix& other) const;
};

// D3DXVec3TransformCoord: (v, 1) * M divided by w.
Vec3 transformCoord(const Vec3& v, const Matrix& m);
// D3DXMatrixInverse; false (and out untouched) when the matrix is singular.
bool inverse(const Matrix& m, Matrix& out);

struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};

// D3DXVec3Unproject with a viewport and the three matrices; false when they cannot be inverted.
bool unproject(const Vec3& screen, const Viewport& vp, const Matrix& proj, const Matrix& view, const Matrix& world,
               Vec3& out);

}  // namespace gfx
