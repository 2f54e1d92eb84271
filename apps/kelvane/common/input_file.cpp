#include "common/input_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/input_error.h"

std::uintmax_t CheckInputFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw InputError(path + ": no such file");
    if (errno == EACCES) throw InputError(path + ": cannot read the file: permission denied");
    throw InputError(path + ": cannot read the file: " + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) throw InputError(path + ": is a folder, not a file");
  if (!S_ISREG(st.st_mode))
    throw InputError(path + ": is not a regular file (a device, pipe or socket)");
  if (::access(path.c_str(), R_OK) != 0)
    throw InputError(path + ": cannot read the file: permission denied");
  return std::uintmax_t(st.st_size);
}
