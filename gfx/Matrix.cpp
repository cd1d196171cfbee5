// The D3DX matrix helpers: same rows, same composition order, same float arithmetic.
#include "gfx/Matrix.h"

#include <cmath>
#include <utility>

namespace gfx {

Matrix Matrix::scaling(float sx, float sy, float sz) {
  Matrix r;
  r.m[0][0] = sx;
  r.m[1][1] = sy;
  r.m[2][2] = sz;
  return r;
}

Matrix Matrix::translation(float tx, float ty, float tz) {
  Matrix r;
  r.m[3][0] = tx;
  r.m[3][1] = ty;
  r.m[3][2] = tz;
  return r;
}

Matrix Matrix::rotationX(float a) {
  Matrix r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

Matrix Matrix::rotationY(float a) {
  Matrix r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

Matrix Matrix::rotationZ(float a) {
  Matrix r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Matrix Matrix::orthoLH(float w, float h, float zn, float zf) {
  Matrix r;
  r.m[0][0] = 2.0f / w;
  r.m[1][1] = 2.0f / h;
  r.m[2][2] = 1.0f / (zf - zn);
  r.m[3][2] = zn / (zn - zf);
  return r;
}

Matrix Matrix::orthoOffCenterLH(float l, float rt, float b, float t, float zn, float zf) {
  Matrix r;
  r.m[0][0] = 2.0f / (rt - l);
  r.m[1][1] = 2.0f / (t - b);
  r.m[2][2] = 1.0f / (zf - zn);
  r.m[3][0] = (l + rt) / (l - rt);
  r.m[3][1] = (t + b) / (b - t);
  r.m[3][2] = zn / (zn - zf);
  return r;
}

namespace {
Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalize(const Vec3& v) {
  const float len = std::sqrt(dot(v, v));
  if (len == 0.0f) return v;
  return {v.x / len, v.y / len, v.z / len};
}
}  // namespace

Matrix Matrix::lookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
  const Vec3 z = normalize(sub(at, eye));
  const Vec3 x = normalize(cross(up, z));
  const Vec3 y = cross(z, x);
  Matrix r;
  r.m[0][0] = x.x;
  r.m[0][1] = y.x;
  r.m[0][2] = z.x;
  r.m[1][0] = x.y;
  r.m[1][1] = y.y;
  r.m[1][2] = z.y;
  r.m[2][0] = x.z;
  r.m[2][1] = y.z;
  r.m[2][2] = z.z;
  r.m[3][0] = -dot(x, eye);
  r.m[3][1] = -dot(y, eye);
  r.m[3][2] = -dot(z, eye);
  return r;
}

Matrix Matrix::perspectiveFovLH(float fovY, float aspect, float zn, float zf) {
  Matrix r;
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  r.m[0][0] = yScale / aspect;
  r.m[1][1] = yScale;
  r.m[2][2] = zf / (zf - zn);
  r.m[2][3] = 1.0f;
  r.m[3][2] = -zn * zf / (zf - zn);
  r.m[3][3] = 0.0f;
  return r;
}

Matrix Matrix::operator*(const Matrix& o) const {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
  return r;
}

bool Matrix::operator==(const Matrix& o) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m[i][j] != o.m[i][j]) return false;
  return true;
}

Vec3 transformCoord(const Vec3& v, const Matrix& m) {
  const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
  const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
  const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
  const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
  if (w == 0.0f) return {x, y, z};
  return {x / w, y / w, z / w};
}

bool inverse(const Matrix& src, Matrix& out) {
  // Gauss-Jordan with partial pivoting in double precision.
  double a[4][8];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      a[i][j] = src.m[i][j];
      a[i][j + 4] = (i == j) ? 1.0 : 0.0;
    }
  }
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    if (std::fabs(a[pivot][col]) < 1e-12) return false;
    if (pivot != col)
      for (int j = 0; j < 8; ++j) std::swap(a[pivot][j], a[col][j]);
    const double inv = 1.0 / a[col][col];
    for (int j = 0; j < 8; ++j) a[col][j] *= inv;
    for (int r = 0; r < 4; ++r) {
      if (r == col) continue;
      const double f = a[r][col];
      if (f == 0.0) continue;
      for (int j = 0; j < 8; ++j) a[r][j] -= f * a[col][j];
    }
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) out.m[i][j] = static_cast<float>(a[i][j + 4]);
  return true;
}

bool unproject(const Vec3& v, const Viewport& vp, const Matrix& proj, const Matrix& view, const Matrix& world,
               Vec3& out) {
  const Matrix m = world * view * proj;
  Matrix inv;
  if (!inverse(m, inv)) return false;
  const Vec3 n{2.0f * (v.x - vp.x) / vp.width - 1.0f, 1.0f - 2.0f * (v.y - vp.y) / vp.height,
               (v.z - vp.minZ) / (vp.maxZ - vp.minZ)};
  out = transformCoord(n, inv);
  return true;
}

}  // namespace gfx
