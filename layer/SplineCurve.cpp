// The spline curve. Tangents M solve, per coordinate,
//   M0 + 0.5 M1 = 3 (P1 - P0) / (2 L0)
//   Li Mi-1 + 2 (Li-1 + Li) Mi + Li-1 Mi+1 = 3 (Li^2 (Pi - Pi-1) + Li-1^2 (Pi+1 - Pi)) / (Li-1 Li)
//   Mn-2 + 2 Mn-1 = 3 (Pn-1 - Pn-2) / Ln-2
// by forward elimination and back substitution. Segment k at arc s (0..Lk) is
//   Pk + s (Mk + s (A + B s)), A = 3 (Pk+1 - Pk) / Lk^2 - (2 Mk + Mk+1) / Lk,
//   B = (Mk + Mk+1) / Lk^2 - 2 (Pk+1 - Pk) / Lk^3.
// A point repeated in a row has no chord to divide by: the system is solved over the points
// with the repeats left out and each repeat takes its twin's tangent; evaluation never lands in
// a zero-length segment, since its end fraction equals the previous one.
#include "layer/SplineCurve.h"

#include <cmath>

namespace layer {

namespace {

// Tangents of one coordinate over distinct points q with chord lengths l.
std::vector<double> solveTangents(const std::vector<double>& q, const std::vector<double>& l) {
  const size_t n = q.size();
  std::vector<double> a(n, 0.0), b(n, 0.0), c(n, 0.0), d(n, 0.0);
  b[0] = 1.0;
  c[0] = 0.5;
  d[0] = 3.0 * (q[1] - q[0]) / (2.0 * l[0]);
  for (size_t i = 1; i + 1 < n; ++i) {
    a[i] = l[i];
    b[i] = 2.0 * (l[i - 1] + l[i]);
    c[i] = l[i - 1];
    d[i] = 3.0 * (l[i] * l[i] * (q[i] - q[i - 1]) + l[i - 1] * l[i - 1] * (q[i + 1] - q[i])) / (l[i - 1] * l[i]);
  }
  a[n - 1] = 1.0;
  b[n - 1] = 2.0;
  d[n - 1] = 3.0 * (q[n - 1] - q[n - 2]) / l[n - 2];
  // Forward elimination.
  for (size_t i = 1; i < n; ++i) {
    const double m = a[i] / b[i - 1];
    b[i] -= m * c[i - 1];
    d[i] -= m * d[i - 1];
  }
  // Back substitution.
  std::vector<double> x(n, 0.0);
  x[n - 1] = d[n - 1] / b[n - 1];
  for (size_t i = n - 1; i-- > 0;) x[i] = (d[i] - c[i] * x[i + 1]) / b[i];
  return x;
}

}  // namespace

bool SplineCurve::build(const std::vector<Point>& points) {
  points_.clear();
  tangents_.clear();
  lengths_.clear();
  cumulative_.clear();
  total_ = 0.0f;
  if (points.size() < 2) return false;
  points_ = points;
  const size_t n = points.size();
  lengths_.resize(n - 1);
  for (size_t i = 0; i + 1 < n; ++i)
    lengths_[i] = std::hypot(points[i + 1].first - points[i].first, points[i + 1].second - points[i].second);
  double sum = 0.0;
  for (float len : lengths_) sum += len;
  total_ = float(sum);
  cumulative_.resize(n - 1);
  double run = 0.0;
  for (size_t i = 0; i + 1 < n; ++i) {
    run += lengths_[i];
    cumulative_[i] = total_ > 0.0f ? float(run / sum) : 1.0f;
  }

  // The distinct points (repeats in a row left out) and, for every point, its distinct index.
  std::vector<size_t> distinctOf(n);
  std::vector<double> qx, qy, ql;
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && lengths_[i - 1] == 0.0f) {
      distinctOf[i] = qx.size() - 1;
      continue;
    }
    if (i > 0) ql.push_back(lengths_[i - 1]);
    distinctOf[i] = qx.size();
    qx.push_back(points[i].first);
    qy.push_back(points[i].second);
  }
  tangents_.assign(n, Point{0.0f, 0.0f});
  if (qx.size() < 2) return true;  // all points equal: the curve stays on the first
  const std::vector<double> mx = solveTangents(qx, ql), my = solveTangents(qy, ql);
  for (size_t i = 0; i < n; ++i) tangents_[i] = {float(mx[distinctOf[i]]), float(my[distinctOf[i]])};
  return true;
}

SplineCurve::Point SplineCurve::evaluate(float u, int32_t* segment, float* fraction) const {
  if (points_.size() < 2) {
    if (segment) *segment = 0;
    if (fraction) *fraction = 0.0f;
    return points_.empty() ? Point{0.0f, 0.0f} : points_.front();
  }
  const size_t last = points_.size() - 2;
  if (u <= 0.0f || total_ <= 0.0f) {
    if (segment) *segment = 0;
    if (fraction) *fraction = 0.0f;
    return points_.front();
  }
  if (u >= 1.0f) {
    if (segment) *segment = int32_t(last);
    if (fraction) *fraction = 1.0f;
    return points_.back();
  }
  size_t k = 0;
  while (k < last && u > cumulative_[k]) ++k;
  const float start = k == 0 ? 0.0f : cumulative_[k - 1];
  const float span = cumulative_[k] - start;
  const float f = span > 0.0f ? (u - start) / span : 0.0f;
  if (segment) *segment = int32_t(k);
  if (fraction) *fraction = f;
  const float len = lengths_[k];
  if (len <= 0.0f) return points_[k];
  const float s = f * len;
  const Point& p0 = points_[k];
  const Point& p1 = points_[k + 1];
  const Point& m0 = tangents_[k];
  const Point& m1 = tangents_[k + 1];
  auto axis = [&](float q0, float q1, float t0, float t1) {
    const float a = 3.0f * (q1 - q0) / (len * len) - (2.0f * t0 + t1) / len;
    const float b = (t0 + t1) / (len * len) - 2.0f * (q1 - q0) / (len * len * len);
    return q0 + s * (t0 + s * (a + b * s));
  };
  return {axis(p0.first, p1.first, m0.first, m1.first), axis(p0.second, p1.second, m0.second, m1.second)};
}

}  // namespace layer
