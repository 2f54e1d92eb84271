#include "render/png_writer.h"

#include <png.h>

#include <cstring>

#include "common/input_error.h"

void WritePng(const RgbaImage& image, const std::string& path) {
  // The simplified API reports failures in the structure instead of jumping out of C++.
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr)) {
    std::string why = png.message[0] ? png.message : "unknown error";
    png_image_free(&png);
    throw InputError(path + ": cannot write the picture: " + why);
  }
}
