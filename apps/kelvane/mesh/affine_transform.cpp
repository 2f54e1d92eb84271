#include "mesh/affine_transform.h"

#include <cmath>

#include "common/input_error.h"

Matrix3 AffineFromRows(const Rows4x4& rows, const std::string& what) {
  for (const auto& row : rows)
    for (double v : row)
      if (!std::isfinite(v) || std::fabs(v) > 1e30)
        throw InputError(what + ": every entry must be a finite number");
  if (rows[3][0] != 0.0 || rows[3][1] != 0.0 || rows[3][2] != 0.0 || rows[3][3] != 1.0)
    throw InputError(what + ": the last row must be 0 0 0 1");
  // Matrix3 rows are the images of the axes: the columns of the given matrix.
  auto column = [&](int c) {
    return Point3(rows[0][size_t(c)], rows[1][size_t(c)], rows[2][size_t(c)]);
  };
  Matrix3 m(column(0), column(1), column(2), column(3));
  const Point3 x = m.GetRow(0), y = m.GetRow(1), z = m.GetRow(2);
  const double scale = double(x.Length()) * y.Length() * z.Length();
  const double det = double(DotProd(x, CrossProd(y, z)));
  if (!(scale > 0.0) || std::fabs(det) <= 1e-9 * scale)
    throw InputError(what + ": the matrix is singular (it flattens the object)");
  return m;
}
