#pragma once
#include <cstddef>
#include <string>

class ProgressBar;

// Writes one of the program's outputs so that nothing the user had is lost when the write
// fails. A regular file, or a new one, is written to a temporary file in the same folder,
// flushed to the disk and renamed over the target only once complete, so a full disk or a
// killed run leaves the old file as it was. A target that is not a regular file (/dev/null, a
// pipe, a device) is written in place and never removed or renamed. A symbolic link stays a
// link: the file it names is replaced. Shows the write on progress when given.
//
// Failures name the path and the real problem in one line: a target the user named wrongly
// (no such folder, a folder, no permission) throws InputError, anything else (a full disk, an
// I/O error) std::runtime_error.
void WriteOutputFile(const std::string& path, const void* data, size_t size,
                     ProgressBar* progress = nullptr);

// For tests: once `bytes` more bytes have been written, every write fails with `error` the way
// a full disk fails it; a negative count lets writes through again. One test at a time.
void FailOutputWritesAfter(long long bytes, int error);
