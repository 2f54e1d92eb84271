// kelvane bake: padding around the islands, 16-bit channels, several nodes in one picture.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>

#include "support/app_test_support.h"

namespace {

// Two unit quads: "lower" has UVs over the lower-left half, "whole" over the whole square, so
// one texel lies at different points of the two, at different distances from their edges.
const char* kTwoQuads = R"({
  "nodes": [
    {"name": "lower", "mesh": {"vertices": [[0,0,0],[1,0,0],[1,1,0],[0,1,0]],
                               "faces": [[0,1,2],[0,2,3]], "uvs": [[0,0],[1,0],[0,1],[0,1]]}},
    {"name": "whole", "mesh": {"vertices": [[0,0,0.5],[1,0,0.5],[1,1,0.5],[0,1,0.5]],
                               "faces": [[0,1,2],[0,2,3]], "uvs": [[0,0],[1,0],[1,1],[0,1]]}}
  ]
})";

class Bake : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string scene = folder.Write("quads.json", kTwoQuads);

  RgbaImage Run(std::vector<std::string> flags, const std::string& name) {
    const std::string out = folder.Path(name);
    std::vector<std::string> args{"bake", scene, "-o", out};
    args.insert(args.end(), flags.begin(), flags.end());
    RunResult r = RunApp(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadPng(out);
  }
};

const uint8_t* Pixel(const RgbaImage& image, int x, int y) {
  return &image.pixels[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
}

// Which island texel each padded one copies is the padding unit's (checked against brute
// force there); here, that --padding reaches it and the islands stay as baked.
TEST_F(Bake, PaddingFillsAroundTheIslandsAndKeepsTheIslands) {
  const int size = 24;
  const RgbaImage plain = Run({"--node", "lower", "--size", "24"}, "plain.png");
  const RgbaImage padded = Run({"--node", "lower", "--size", "24", "--padding", "3"}, "padded.png");
  ASSERT_EQ(padded.width, size);
  int filled = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const uint8_t *p = Pixel(padded, x, y), *q = Pixel(plain, x, y);
      if (q[3] != 0)
        EXPECT_TRUE(std::equal(p, p + 4, q)) << "island texel " << x << "," << y << " changed";
      else
        filled += p[3] == 255;
    }
  EXPECT_GT(filled, size);
  EXPECT_EQ(Pixel(padded, size - 1, 0)[3], 0) << "the far corner lies beyond the padding";
}

// The whole file, decoded without conversions: 16-bit samples as written.
struct Png16 {
  int width = 0, height = 0, depth = 0;
  std::vector<uint16_t> samples;  // RGBA
};

// libpng jumps back here on errors; nothing with a destructor lives in this frame.
bool Decode16(FILE* file, Png16* out) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) return false;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  out->width = int(png_get_image_width(png, info));
  out->height = int(png_get_image_height(png, info));
  out->depth = png_get_bit_depth(png, info);
  const png_bytepp rows = png_get_rows(png, info);
  if (out->depth == 16 && png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB_ALPHA &&
      out->width * out->height * 4 <= int(out->samples.size()))
    for (int y = 0; y < out->height; ++y)
      for (int i = 0; i < out->width * 4; ++i)
        out->samples[size_t(y * out->width * 4 + i)] =
            uint16_t(rows[y][2 * i] << 8 | rows[y][2 * i + 1]);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

TEST_F(Bake, DepthSixteenWritesSixteenBitChannelsThatAgreeWithTheEightBitBake) {
  const RgbaImage eight = Run({"--node", "lower", "--size", "8"}, "eight.png");
  Run({"--node", "lower", "--size", "8", "--depth", "16"}, "sixteen.png");
  const std::string path = folder.Path("sixteen.png");
  Png16 image;
  image.samples.resize(8 * 8 * 4);
  FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_TRUE(file);
  const bool read = Decode16(file, &image);
  std::fclose(file);
  ASSERT_TRUE(read && image.depth == 16 && image.width == 8);
  EXPECT_EQ(image.samples[size_t(7 * 8 + 0) * 4 + 3], 65535) << "the bottom-left texel";
  for (size_t i = 0; i < image.samples.size(); ++i)
    EXPECT_NEAR(image.samples[i] / 257.0, eight.pixels[i], 0.5 + 1e-9) << "sample " << i;
}

TEST_F(Bake, SeveralNodesShareOnePictureAndTheFirstGivenWinsWhereTheyOverlap) {
  const RgbaImage both = Run({"--node", "lower", "--node", "whole", "--size", "8"}, "both.png");
  const RgbaImage reversed =
      Run({"--node", "whole", "--node", "lower", "--size", "8"}, "reversed.png");
  const RgbaImage lower = Run({"--node", "lower", "--size", "8"}, "lower.png");
  const RgbaImage whole = Run({"--node", "whole", "--size", "8"}, "whole.png");
  auto same = [](const RgbaImage& a, const RgbaImage& b, int x, int y) {
    return std::equal(Pixel(a, x, y), Pixel(a, x, y) + 4, Pixel(b, x, y));
  };
  // Lower-left: both nodes have UVs there; upper-right: only "whole" does.
  ASSERT_FALSE(same(lower, whole, 0, 7)) << "the two nodes must differ there to tell";
  EXPECT_TRUE(same(both, lower, 0, 7)) << "\"lower\" comes first";
  EXPECT_TRUE(same(reversed, whole, 0, 7)) << "\"whole\" comes first";
  EXPECT_TRUE(same(both, whole, 7, 0) && same(reversed, whole, 7, 0));
  EXPECT_EQ(Pixel(both, 7, 0)[3], 255);
}

}  // namespace
