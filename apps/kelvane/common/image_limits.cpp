#include "common/image_limits.h"

#include "common/input_error.h"

void CheckImageSize(long long width, long long height, const std::string& what) {
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide)
    throw InputError(what + ": " + std::to_string(width) + "x" + std::to_string(height) +
                     " is out of range (each side 1 to " + std::to_string(kMaxImageSide) + ")");
  if (width * height > kMaxImagePixels)
    throw InputError(what + ": " + std::to_string(width) + "x" + std::to_string(height) +
                     " is too large (at most " + std::to_string(kMaxImagePixels) + " pixels)");
}
