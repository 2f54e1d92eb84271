#include "matrix3.h"

Matrix3 Matrix3::operator*(const Matrix3& b) const {
  // Row vectors: applying this, then b.
  Matrix3 r(FALSE);
  for (int i = 0; i < 3; ++i) r.m[i] = b.VectorTransform(m[i]);
  r.m[3] = b.PointTransform(m[3]);
  return r;
}

Matrix3 Matrix3::Inverse() const {
  const Point3 &a = m[0], &b = m[1], &c = m[2];
  // Rows of the inverse of the 3x3 part are the cross products over the determinant.
  Point3 bc = b ^ c, ca = c ^ a, ab = a ^ b;
  double det = double(a % bc);
  if (det == 0.0) return Matrix3();
  float inv = float(1.0 / det);
  // Column j of the inverse is the j-th cross product.
  Matrix3 r(FALSE);
  r.m[0] = Point3(bc.x, ca.x, ab.x) * inv;
  r.m[1] = Point3(bc.y, ca.y, ab.y) * inv;
  r.m[2] = Point3(bc.z, ca.z, ab.z) * inv;
  r.m[3] = -r.VectorTransform(m[3]);
  return r;
}
