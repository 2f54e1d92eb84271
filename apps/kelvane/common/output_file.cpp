#include "common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "common/input_error.h"
#include "common/progress_bar.h"

namespace {

// Big enough to write quickly, small enough for the progress bar to move.
constexpr size_t kWriteChunk = size_t(1) << 20;

long long failAfter = -1;
int failError = 0;

ssize_t WriteSome(int fd, const void* data, size_t size) {
  if (failAfter >= 0) {
    if (failAfter == 0) {
      errno = failError;
      return -1;
    }
    size = std::min(size, size_t(failAfter));
    failAfter -= (long long)size;
  }
  return ::write(fd, data, size);
}

// One line about the target and what went wrong with it: the user's mistake or the machine's.
[[noreturn]] void Fail(const std::string& path, int error) {
  std::string why;
  if (error == ENOENT || error == ENOTDIR) {
    why = "no such folder";
  } else {
    why = std::strerror(error);
    if (!why.empty()) why[0] = char(std::tolower(static_cast<unsigned char>(why[0])));
  }
  const std::string message = path + ": cannot write the file: " + why;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case EACCES:
    case EPERM:
    case EROFS:
    case ENAMETOOLONG:
    case ELOOP:
      throw InputError(message);
    default:
      throw std::runtime_error(message);
  }
}

// 0 or the error of the first write that failed.
int WriteAll(int fd, const uint8_t* data, size_t size, ProgressBar* progress) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = WriteSome(fd, data + done, std::min(kWriteChunk, size - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += size_t(n);
    if (progress) progress->Show(double(done) / double(size));
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

void WriteInPlace(const std::string& path, const uint8_t* data, size_t size,
                  ProgressBar* progress) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) Fail(path, errno);
  const int error = WriteAll(fd, data, size, progress);
  if (::close(fd) != 0 && error == 0 && errno != EINTR) Fail(path, errno);
  if (error) Fail(path, error);
}

void ReplaceFile(const std::string& path, const std::string& target, mode_t mode,
                 const uint8_t* data, size_t size, ProgressBar* progress) {
  const std::string folder = FolderOf(target);
  const std::string name = target.substr(target.find_last_of('/') + 1);
  // Hidden, beside the target, so the rename stays on one file system.
  std::string temp = folder + "/." + (name.size() > 200 ? "kelvane-output" : name) + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) Fail(path, errno);
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  if (!error) error = WriteAll(fd, data, size, progress);
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temp.c_str());
    Fail(path, error);
  }
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

void WriteOutputFile(const std::string& path, const void* data, size_t size,
                     ProgressBar* progress) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  struct stat st;
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) throw InputError(path + ": is a folder, not a file");
  if (exists && !S_ISREG(st.st_mode)) {
    WriteInPlace(path, bytes, size, progress);
  } else {
    std::string target = path;
    struct stat link;
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
      }
    }
    ReplaceFile(path, target, exists ? st.st_mode & 07777 : NewFileMode(), bytes, size, progress);
  }
  if (progress) progress->Finish();
}

void FailOutputWritesAfter(long long bytes, int error) {
  failAfter = bytes;
  failError = error;
}
