#pragma once
#include "WindowsDefines.h"
#include "maxheap.h"
#include "maxtypes.h"

class AColor : public MaxHeapOperators {
 public:
  float r, g, b, a;

  AColor() : r(0.0f), g(0.0f), b(0.0f), a(0.0f) {}
  AColor(float R, float G, float B, float A = 1.0f) : r(R), g(G), b(B), a(A) {}
  AColor(double R, double G, double B, double A = 1.0)
      : r(float(R)), g(float(G)), b(float(B)), a(float(A)) {}
  // The host's integer constructor defaults alpha to 0.
  AColor(int R, int G, int B, int A = 0) : r(float(R)), g(float(G)), b(float(B)), a(float(A)) {}
  explicit AColor(const float af[4]) : r(af[0]), g(af[1]), b(af[2]), a(af[3]) {}
  AColor(const BMM_Color_64& c)
      : r(c.r / 65535.0f), g(c.g / 65535.0f), b(c.b / 65535.0f), a(c.a / 65535.0f) {}

  void Black() {
    r = g = b = 0.0f;
    a = 1.0f;
  }
  void White() {
    r = g = b = 1.0f;
    a = 1.0f;
  }
  void ClampMax() {
    r = r > 1.0f ? 1.0f : r;
    g = g > 1.0f ? 1.0f : g;
    b = b > 1.0f ? 1.0f : b;
    a = a > 1.0f ? 1.0f : a;
  }
  void ClampMin() {
    r = r < 0.0f ? 0.0f : r;
    g = g < 0.0f ? 0.0f : g;
    b = b < 0.0f ? 0.0f : b;
    a = a < 0.0f ? 0.0f : a;
  }
  void ClampMinMax() {
    ClampMin();
    ClampMax();
  }

  float& operator[](int i) { return (&r)[i]; }
  const float& operator[](int i) const { return (&r)[i]; }

  AColor operator-() const { return AColor(-r, -g, -b, -a); }
  AColor operator+() const { return *this; }
  AColor& operator-=(const AColor& c) {
    r -= c.r;
    g -= c.g;
    b -= c.b;
    a -= c.a;
    return *this;
  }
  AColor& operator+=(const AColor& c) {
    r += c.r;
    g += c.g;
    b += c.b;
    a += c.a;
    return *this;
  }
  AColor& operator*=(float f) {
    r *= f;
    g *= f;
    b *= f;
    a *= f;
    return *this;
  }
  AColor& operator/=(float f) {
    r /= f;
    g /= f;
    b /= f;
    a /= f;
    return *this;
  }
  AColor& operator*=(const AColor& c) {
    r *= c.r;
    g *= c.g;
    b *= c.b;
    a *= c.a;
    return *this;
  }
  int operator==(const AColor& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
  int operator!=(const AColor& c) const { return !(*this == c); }
  AColor operator-(const AColor& c) const { return AColor(r - c.r, g - c.g, b - c.b, a - c.a); }
  AColor operator+(const AColor& c) const { return AColor(r + c.r, g + c.g, b + c.b, a + c.a); }
  AColor operator/(const AColor& c) const { return AColor(r / c.r, g / c.g, b / c.b, a / c.a); }
  AColor operator*(const AColor& c) const { return AColor(r * c.r, g * c.g, b * c.b, a * c.a); }
};

inline AColor operator*(float f, const AColor& c) {
  return AColor(c.r * f, c.g * f, c.b * f, c.a * f);
}
inline AColor operator*(const AColor& c, float f) {
  return AColor(c.r * f, c.g * f, c.b * f, c.a * f);
}
typedef AColor RGBA;
