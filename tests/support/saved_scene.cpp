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

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code failed;
  std::filesystem::rename(temporary, path, failed);
  if (failed) std::remove(temporary.c_str());
  return !failed;
}
