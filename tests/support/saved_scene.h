#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "max.h"

// The current scene as saved; empty, with the reason in *error, when the save fails.
std::vector<uint8_t> SaveSceneBytes(MSTR* error = nullptr);

// Saves the current scene to a file next to path and renames it into place, so a failed write
// leaves the old file whole; false, with the reason on stderr, on failure.
bool SaveSceneToFile(const std::string& path);
