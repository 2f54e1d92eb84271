#pragma once
#include <array>
#include <string>

#include "matrix3.h"

using Rows4x4 = std::array<std::array<double, 4>, 4>;

// A node transform given as four rows that map object points to world points as column
// vectors (translation in the last column), as the host's row-vector Matrix3. Throws
// InputError starting with `what` when the matrix has a non-finite entry, a last row other
// than 0 0 0 1, or no inverse.
Matrix3 AffineFromRows(const Rows4x4& rows, const std::string& what);
