// Padding sources against a brute-force search over every covered texel.
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "render/texel_padding.h"

namespace {

// Random-disc islands on a picture that is not square, so swapped rows and columns show.
std::vector<uint8_t> Islands(int width, int height, int discs, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> covered(size_t(width) * size_t(height), 0);
  for (int d = 0; d < discs; ++d) {
    const int cx = int(random() % unsigned(width)), cy = int(random() % unsigned(height));
    const int r = int(random() % 4);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
          covered[size_t(y) * size_t(width) + size_t(x)] = 1;
  }
  return covered;
}

TEST(PaddingSources, EveryTexelWithinThePaddingTakesANearestCoveredTexelAndNoOtherDoes) {
  const int width = 37, height = 23;
  for (unsigned seed : {1u, 2u, 3u})
    for (int padding : {1, 2, 5, 40}) {
      const auto covered = Islands(width, height, 4, seed);
      const auto sources = PaddingSources(covered, width, height, padding);
      ASSERT_EQ(sources.size(), covered.size());
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const size_t i = size_t(y) * size_t(width) + size_t(x);
          if (covered[i]) {
            EXPECT_EQ(sources[i], int(i));
            continue;
          }
          long long best = std::numeric_limits<long long>::max();
          for (size_t j = 0; j < covered.size(); ++j)
            if (covered[j]) {
              const long long dx = x - int(j % size_t(width)), dy = y - int(j / size_t(width));
              best = std::min(best, dx * dx + dy * dy);
            }
          const std::string where = "texel " + std::to_string(x) + "," + std::to_string(y) +
                                    " padding " + std::to_string(padding);
          if (best > (long long)padding * padding) {
            EXPECT_EQ(sources[i], -1) << where;
            continue;
          }
          ASSERT_GE(sources[i], 0) << where;
          ASSERT_TRUE(covered[size_t(sources[i])]) << where;
          const long long dx = x - sources[i] % width, dy = y - sources[i] / width;
          EXPECT_EQ(dx * dx + dy * dy, best) << where << ": not the nearest";
        }
    }
}

TEST(PaddingSources, NothingCoveredLeavesEverythingEmpty) {
  EXPECT_EQ(PaddingSources(std::vector<uint8_t>(12, 0), 4, 3, 5), std::vector<int>(12, -1));
}

}  // namespace
