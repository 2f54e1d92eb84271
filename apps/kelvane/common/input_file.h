#pragma once
#include <cstdint>
#include <string>

// Checks that path names a regular file the program can read, and returns its size. Throws
// InputError naming the path and the real problem: no such file, a folder, something that is
// not a file (a device or a pipe, such as /dev/null), or no permission.
std::uintmax_t CheckInputFile(const std::string& path);
