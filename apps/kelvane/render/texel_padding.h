#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// For every texel of a width x height picture (rows from the top), the texel whose colour it
// takes: itself where `covered` is set, the nearest covered texel (Euclidean distance between
// texel centres) where that lies at most `padding` texels away, and -1 elsewhere. Ties go to
// the same texel every time. This is what a baker's dilation fills the islands' surroundings
// with, so texture filtering and mip levels near a border read the border's colour.
std::vector<int> PaddingSources(const std::vector<uint8_t>& covered, int width, int height,
                                int padding);
