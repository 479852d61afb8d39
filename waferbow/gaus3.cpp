#include "waferbow/gaus3.hpp"

namespace waferbow {

gaus3_status gaus3(const matrix3& a, const vector3& b, vector3& x) {
  const auto A = [&a](int i, int j) { return a[at(i, j)]; };

  // Elimination with the third row, done even when A(3,3) is 0.
  double bb[2];
  double aa[2][2];
  for (int i = 1; i <= 2; ++i) {
    bb[i - 1] = b[static_cast<std::size_t>(i - 1)] * A(3, 3) - b[2] * A(i, 3);
    for (int j = 1; j <= 2; ++j) aa[i - 1][j - 1] = A(i, j) * A(3, 3) - A(3, j) * A(i, 3);
  }

  const double det = aa[0][0] * aa[1][1] - aa[1][0] * aa[0][1];
  if (det == 0.0) return gaus3_status::singular;
  x[0] = (bb[0] * aa[1][1] - bb[1] * aa[0][1]) / det;

  if (aa[1][1] != 0.0) {
    x[1] = (bb[1] - aa[1][0] * x[0]) / aa[1][1];
  } else if (aa[0][1] == 0.0) {
    return gaus3_status::no_x2;
  } else {
    x[1] = (bb[0] - aa[0][0] * x[0]) / aa[0][1];
  }

  if (A(3, 3) != 0.0) {
    x[2] = ((b[2] - A(3, 1) * x[0]) - A(3, 2) * x[1]) / A(3, 3);
  } else if (A(2, 3) != 0.0) {
    x[2] = ((b[1] - A(2, 1) * x[0]) - A(2, 2) * x[1]) / A(2, 3);
  } else if (A(1, 3) == 0.0) {
    return gaus3_status::no_x3;
  } else {
    x[2] = ((b[0] - A(1, 1) * x[0]) - A(1, 2) * x[1]) / A(1, 3);
  }
  return gaus3_status::solved;
}

}  // namespace waferbow
