#pragma once
#include <string>

// Pictures the program agrees to make: large enough for print, small enough that a typo in
// --size cannot ask for gigabytes.
inline constexpr long long kMaxImageSide = 16384;
inline constexpr long long kMaxImagePixels = 8192LL * 8192LL;

// Throws InputError starting with `what` unless both sides are 1..kMaxImageSide and the
// picture has at most kMaxImagePixels.
void CheckImageSize(long long width, long long height, const std::string& what);
