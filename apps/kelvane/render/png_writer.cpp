#include "render/png_writer.h"

#include <png.h>
#include <stdio.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
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

namespace {

// Where the 16-bit encoder puts its bytes, and what went wrong.
struct PngSink {
  std::vector<uint8_t>* bytes;
  char message[160];
};

void Append(png_structp png, png_bytep data, size_t size) {
  auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  bool grown = true;
  try {
    sink->bytes->insert(sink->bytes->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    grown = false;
  }
  if (!grown) png_error(png, "out of memory");
}

void Flush(png_structp) {}

// libpng reports errors by jumping back to the encoder's setjmp, with our message kept.
[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The simplified API writes 16-bit channels only as linear light with premultiplied alpha;
// this writes them as they are, marked sRGB as the 8-bit pictures are. No object with a
// destructor lives in this frame, so libpng's jump out of it leaks nothing. row: room for
// one row of big-endian samples.
bool Encode16(const Rgba16Image& image, png_byte* row, PngSink* sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, Append, Flush);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 16,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  png_write_info(png, info);
  const size_t samples = size_t(image.width) * 4;
  for (int y = 0; y < image.height; ++y) {
    const uint16_t* source = &image.pixels[size_t(y) * samples];
    for (size_t i = 0; i < samples; ++i) {
      row[2 * i] = png_byte(source[i] >> 8);
      row[2 * i + 1] = png_byte(source[i] & 0xFF);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

size_t Write(const std::vector<uint8_t>& bytes, const std::string& path, std::ostream* progressTo) {
  ProgressBar progress(progressTo, "Writing " + path.substr(path.find_last_of('/') + 1));
  WriteOutputFile(path, bytes.data(), bytes.size(), &progress);
  return bytes.size();
}

}  // namespace

std::vector<uint8_t> EncodePng(const Rgba16Image& image) {
  std::vector<uint8_t> bytes;
  std::vector<png_byte> row(size_t(image.width) * 8);
  PngSink sink{&bytes, "unknown error"};
  if (!Encode16(image, row.data(), &sink))
    throw std::runtime_error(std::string("cannot encode the picture as PNG: ") + sink.message);
  return bytes;
}

size_t WritePng(const RgbaImage& image, const std::string& path, std::ostream* progressTo) {
  return Write(EncodePng(image), path, progressTo);
}

size_t WritePng(const Rgba16Image& image, const std::string& path, std::ostream* progressTo) {
  return Write(EncodePng(image), path, progressTo);
}
