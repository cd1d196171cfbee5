// The spline move's curve: a chord-length parameterised cubic through the points, with
// tangents from a tridiagonal system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace layer {

class SplineCurve {
 public:
  using Point = std::pair<float, float>;

  // False (and an empty curve) with fewer than two points.
  bool build(const std::vector<Point>& points);

  // The point at u (0..1). segment and fraction receive the segment index k and the fraction f
  // within it (u <= 0 gives segment 0, fraction 0; u >= 1 the last segment, fraction 1).
  Point evaluate(float u, int32_t* segment = nullptr, float* fraction = nullptr) const;

  size_t pointCount() const { return points_.size(); }
  const std::vector<Point>& tangents() const { return tangents_; }

 private:
  std::vector<Point> points_;
  std::vector<Point> tangents_;
  std::vector<float> lengths_;     // chord length of each segment
  std::vector<float> cumulative_;  // fraction of the whole length at each segment's end
  float total_ = 0.0f;
};

}  // namespace layer
