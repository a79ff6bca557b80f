#include "alignment/superposition.h"

#include <cmath>
#include <cstddef>

namespace bexora {

namespace {

using Matrix4 = std::array<std::array<double, 4>, 4>;

Point centroid(const std::vector<Point>& points) {
  Point c;
  for (const Point& p : points) c.x += p.x, c.y += p.y, c.z += p.z;
  const double n = static_cast<double>(points.size());
  return {c.x / n, c.y / n, c.z / n};
}

// The symmetric 4x4 matrix whose largest eigenvector is the optimal rotation
// as a unit quaternion.
Matrix4 quaternionMatrix(const std::vector<Point>& moving, const Point& cm, const std::vector<Point>& fixed,
                         const Point& cf) {
  double s[3][3] = {};
  for (std::size_t k = 0; k < moving.size(); ++k) {
    const double a[3] = {moving[k].x - cm.x, moving[k].y - cm.y, moving[k].z - cm.z};
    const double b[3] = {fixed[k].x - cf.x, fixed[k].y - cf.y, fixed[k].z - cf.z};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) s[i][j] += a[i] * b[j];
  }
  return {{{s[0][0] + s[1][1] + s[2][2], s[1][2] - s[2][1], s[2][0] - s[0][2], s[0][1] - s[1][0]},
           {s[1][2] - s[2][1], s[0][0] - s[1][1] - s[2][2], s[0][1] + s[1][0], s[2][0] + s[0][2]},
           {s[2][0] - s[0][2], s[0][1] + s[1][0], -s[0][0] + s[1][1] - s[2][2], s[1][2] + s[2][1]},
           {s[0][1] - s[1][0], s[2][0] + s[0][2], s[1][2] + s[2][1], -s[0][0] - s[1][1] + s[2][2]}}};
}

// Cyclic Jacobi rotations: a 4x4 symmetric matrix converges in a handful of sweeps.
std::array<double, 4> largestEigenvector(Matrix4 a) {
  Matrix4 v{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
  for (int sweep = 0; sweep < 50; ++sweep) {
    double off = 0;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) off += a[p][q] * a[p][q];
    if (off < 1e-22) break;
    for (int p = 0; p < 4; ++p)
      for (int q = p + 1; q < 4; ++q) {
        if (std::fabs(a[p][q]) < 1e-300) continue;
        const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
        const double t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
        const double c = 1 / std::sqrt(t * t + 1), s = t * c;
        for (int k = 0; k < 4; ++k) {
          const double akp = a[k][p], akq = a[k][q];
          a[k][p] = c * akp - s * akq;
          a[k][q] = s * akp + c * akq;
        }
        for (int k = 0; k < 4; ++k) {
          const double apk = a[p][k], aqk = a[q][k];
          a[p][k] = c * apk - s * aqk;
          a[q][k] = s * apk + c * aqk;
        }
        for (int k = 0; k < 4; ++k) {
          const double vkp = v[k][p], vkq = v[k][q];
          v[k][p] = c * vkp - s * vkq;
          v[k][q] = s * vkp + c * vkq;
        }
      }
  }
  int best = 0;
  for (int i = 1; i < 4; ++i)
    if (a[i][i] > a[best][best]) best = i;
  return {v[0][best], v[1][best], v[2][best], v[3][best]};
}

}  // namespace

Point RigidMotion::apply(const Point& p) const {
  const auto& r = rotation;
  return {r[0][0] * p.x + r[0][1] * p.y + r[0][2] * p.z + translation.x,
          r[1][0] * p.x + r[1][1] * p.y + r[1][2] * p.z + translation.y,
          r[2][0] * p.x + r[2][1] * p.y + r[2][2] * p.z + translation.z};
}

double squaredDistance(const Point& a, const Point& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

RigidMotion superpose(const std::vector<Point>& moving, const std::vector<Point>& fixed) {
  RigidMotion motion;
  if (moving.size() < 3 || moving.size() != fixed.size()) return motion;
  const Point cm = centroid(moving), cf = centroid(fixed);
  const auto [q0, q1, q2, q3] = largestEigenvector(quaternionMatrix(moving, cm, fixed, cf));
  auto& r = motion.rotation;
  r = {{{q0 * q0 + q1 * q1 - q2 * q2 - q3 * q3, 2 * (q1 * q2 - q0 * q3), 2 * (q1 * q3 + q0 * q2)},
        {2 * (q1 * q2 + q0 * q3), q0 * q0 - q1 * q1 + q2 * q2 - q3 * q3, 2 * (q2 * q3 - q0 * q1)},
        {2 * (q1 * q3 - q0 * q2), 2 * (q2 * q3 + q0 * q1), q0 * q0 - q1 * q1 - q2 * q2 + q3 * q3}}};
  const Point rotated = motion.apply(cm);
  motion.translation = {cf.x - rotated.x, cf.y - rotated.y, cf.z - rotated.z};
  return motion;
}

}  // namespace bexora
