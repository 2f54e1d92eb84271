#include "saved_scene.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "maxheap.h"
#include "scene_file.h"

std::vector<uint8_t> SaveSceneBytes(MSTR* error) {
  void* data = nullptr;
  size_t size = 0;
  MSTR message;
  std::vector<uint8_t> bytes;
  if (SaveSceneToMemory(&data, &size, &message) == IO_OK)
    bytes.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  if (data) MAX_free(data);
  if (error) *error = message;
  return bytes;
}

bool SaveSceneToFile(const std::string& path) {
  MSTR error;
  const std::vector<uint8_t> bytes = SaveSceneBytes(&error);
  const std::string temporary = path + ".tmp";
  bool written = false;
  if (!bytes.empty()) {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.flush();
    written = bool(out);
  }
  std::error_code failed;
  if (written) std::filesystem::rename(temporary, path, failed);
  if (written && !failed) return true;
  std::remove(temporary.c_str());
  if (bytes.empty())
    std::fprintf(stderr, "%s: cannot save the scene: %ls\n", path.c_str(), error.data());
  else
    std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
  return false;
}
