#include "render/png_writer.h"

#include <png.h>
#include <stdio.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "common/output_file.h"
#include "common/progress_bar.h"

std::vector<uint8_t> EncodePng(const RgbaImage& image) {
  // The simplified API reports failures in the structure instead of jumping out of C++; it
  // writes to a stdio stream, here one that grows a buffer.
  char* buffer = nullptr;
  size_t size = 0;
  FILE* memory = open_memstream(&buffer, &size);
  if (!memory) throw std::bad_alloc();
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_RGBA;
  const bool written =
      png_image_write_to_stdio(&png, memory, 0, image.pixels.data(), 0, nullptr) != 0;
  const std::string why = png.message[0] ? png.message : "unknown error";
  png_image_free(&png);
  const bool closed = std::fclose(memory) == 0;
  std::vector<uint8_t> bytes;
  if (written && closed) bytes.assign(buffer, buffer + size);
  std::free(buffer);
  if (!written || !closed) throw std::runtime_error("cannot encode the picture as PNG: " + why);
  return bytes;
}

size_t WritePng(const RgbaImage& image, const std::string& path, std::ostream* progressTo) {
  const std::vector<uint8_t> bytes = EncodePng(image);
  ProgressBar progress(progressTo, "Writing " + path.substr(path.find_last_of('/') + 1));
  WriteOutputFile(path, bytes.data(), bytes.size(), &progress);
  return bytes.size();
}
