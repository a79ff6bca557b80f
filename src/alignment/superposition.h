// Least-squares rigid superposition of paired points (the rotation from the
// largest eigenvector of the quaternion form of their correlation matrix).
#pragma once

#include <array>
#include <vector>

namespace bexora {

struct Point {
  double x = 0, y = 0, z = 0;
};

// Maps a point of the moving set onto the fixed set: rotate, then translate.
struct RigidMotion {
  std::array<std::array<double, 3>, 3> rotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  Point translation;

  Point apply(const Point& p) const;
};

double squaredDistance(const Point& a, const Point& b);

// The motion that brings moving[k] closest to fixed[k] over all k; identity
// for fewer than three pairs.
RigidMotion superpose(const std::vector<Point>& moving, const std::vector<Point>& fixed);

}  // namespace bexora
