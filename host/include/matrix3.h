#pragma once
#include "WindowsDefines.h"
#include "hostexport.h"
#include "maxheap.h"
#include "point3.h"

// A 4x3 affine transform: rows 0..2 are the images of the axes, row 3 the translation.
// Points are row vectors: p' = p * M.
class GEOMEXPORT Matrix3 : public MaxHeapOperators {
 public:
  Matrix3() { IdentityMatrix(); }
  explicit Matrix3(BOOL init) {
    if (init) IdentityMatrix();
  }
  Matrix3(const Point3& u, const Point3& v, const Point3& n, const Point3& t) {
    m[0] = u;
    m[1] = v;
    m[2] = n;
    m[3] = t;
  }
  void IdentityMatrix() {
    m[0] = Point3(1.0f, 0.0f, 0.0f);
    m[1] = Point3(0.0f, 1.0f, 0.0f);
    m[2] = Point3(0.0f, 0.0f, 1.0f);
    m[3] = Point3(0.0f, 0.0f, 0.0f);
  }
  Point3 GetRow(int i) const { return m[i]; }
  void SetRow(int i, const Point3& p) { m[i] = p; }
  Point3 GetTrans() const { return m[3]; }
  void SetTrans(const Point3& p) { m[3] = p; }
  Point3 PointTransform(const Point3& p) const {
    return p.x * m[0] + p.y * m[1] + p.z * m[2] + m[3];
  }
  Point3 VectorTransform(const Point3& p) const { return p.x * m[0] + p.y * m[1] + p.z * m[2]; }
  Matrix3 operator*(const Matrix3& b) const;
  // Returns the inverse; a singular matrix inverts to the identity.
  Matrix3 Inverse() const;

 private:
  Point3 m[4];
};

inline Point3 operator*(const Point3& p, const Matrix3& m) {
  return m.PointTransform(p);
}
inline Point3 VectorTransform(const Matrix3& m, const Point3& p) {
  return m.VectorTransform(p);
}
inline Matrix3 Inverse(const Matrix3& m) {
  return m.Inverse();
}
