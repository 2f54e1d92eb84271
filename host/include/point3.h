#pragma once
#include <cmath>
#include "maxheap.h"

class Point3 : public MaxHeapOperators {
 public:
  float x, y, z;

  Point3() : x(0.0f), y(0.0f), z(0.0f) {}
  Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
  Point3(double X, double Y, double Z) : x(float(X)), y(float(Y)), z(float(Z)) {}
  Point3(int X, int Y, int Z) : x(float(X)), y(float(Y)), z(float(Z)) {}
  explicit Point3(const float af[3]) : x(af[0]), y(af[1]), z(af[2]) {}

  float& operator[](int i) { return (&x)[i]; }
  const float& operator[](int i) const { return (&x)[i]; }

  float LengthSquared() const { return x * x + y * y + z * z; }
  float Length() const { return std::sqrt(LengthSquared()); }
  float FLength() const { return Length(); }
  // A zero vector normalises to zero, never NaN.
  Point3 Normalize() const {
    float l = Length();
    return l > 0.0f ? Point3(x / l, y / l, z / l) : Point3(0.0f, 0.0f, 0.0f);
  }
  Point3 FNormalize() const { return Normalize(); }
  Point3& Unify() { return *this = Normalize(); }

  Point3 operator-() const { return Point3(-x, -y, -z); }
  Point3 operator+() const { return *this; }
  Point3& operator-=(const Point3& a) {
    x -= a.x;
    y -= a.y;
    z -= a.z;
    return *this;
  }
  Point3& operator+=(const Point3& a) {
    x += a.x;
    y += a.y;
    z += a.z;
    return *this;
  }
  Point3& operator*=(float f) {
    x *= f;
    y *= f;
    z *= f;
    return *this;
  }
  Point3& operator/=(float f) {
    x /= f;
    y /= f;
    z /= f;
    return *this;
  }
  Point3& operator*=(const Point3& a) {
    x *= a.x;
    y *= a.y;
    z *= a.z;
    return *this;
  }
  Point3& Set(float X, float Y, float Z) {
    x = X;
    y = Y;
    z = Z;
    return *this;
  }

  int operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
  int operator!=(const Point3& p) const { return !(*this == p); }
  int Equals(const Point3& p, float epsilon = 1E-6f) const {
    return std::fabs(x - p.x) <= epsilon && std::fabs(y - p.y) <= epsilon &&
           std::fabs(z - p.z) <= epsilon;
  }

  Point3 operator-(const Point3& p) const { return Point3(x - p.x, y - p.y, z - p.z); }
  Point3 operator+(const Point3& p) const { return Point3(x + p.x, y + p.y, z + p.z); }
  Point3 operator/(const Point3& p) const { return Point3(x / p.x, y / p.y, z / p.z); }
  Point3 operator*(const Point3& p) const { return Point3(x * p.x, y * p.y, z * p.z); }
  // Cross product.
  Point3 operator^(const Point3& b) const {
    return Point3(y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x);
  }
  // Dot product.
  float operator%(const Point3& b) const { return x * b.x + y * b.y + z * b.z; }
};

inline float Length(const Point3& p) {
  return p.Length();
}
inline float FLength(const Point3& p) {
  return p.Length();
}
inline float LengthSquared(const Point3& p) {
  return p.LengthSquared();
}
inline Point3 Normalize(const Point3& p) {
  return p.Normalize();
}
inline Point3 FNormalize(const Point3& p) {
  return p.Normalize();
}
inline Point3 CrossProd(const Point3& a, const Point3& b) {
  return a ^ b;
}
inline float DotProd(const Point3& a, const Point3& b) {
  return a % b;
}
inline Point3 operator*(float f, const Point3& a) {
  return Point3(a.x * f, a.y * f, a.z * f);
}
inline Point3 operator*(const Point3& a, float f) {
  return Point3(a.x * f, a.y * f, a.z * f);
}
inline Point3 operator/(const Point3& a, float f) {
  return Point3(a.x / f, a.y / f, a.z / f);
}
inline Point3 operator+(const Point3& a, float f) {
  return Point3(a.x + f, a.y + f, a.z + f);
}

typedef Point3 UVVert;
typedef Point3 VertColor;
