#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Why a file operation failed, in the terms the installer reports.
enum class FileFailure { None, DiskFull, Exists, Other };

// Creates a new regular file for writing with the permission bits mode
// (before the umask). Fails with Exists when anything is already at path, a
// link included: O_CREAT|O_EXCL|O_NOFOLLOW, so nothing is ever written
// through a link. Returns the descriptor, or -1 with *failure set.
int createNewFile(const std::string &path, unsigned mode, FileFailure *failure);

// Writes all size bytes, retrying short writes; ENOSPC and EDQUOT are
// DiskFull.
FileFailure writeAll(int file, const void *data, std::size_t size);

// Closes the file; a delayed write error (NFS, some file systems report a
// full disk only here) is reported as well.
FileFailure closeFile(int file);

// Block size and the number of blocks an unprivileged user may still fill
// on the volume holding path (statvfs: f_frsize and f_bavail).
bool volumeBlocks(const std::string &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks);

// Whether the volume holding path has no block or no file entry left for an
// unprivileged user (volumes without a limit on entries report none).
bool volumeFull(const std::string &path);

// The file system (device) holding path; false when it cannot be told.
bool volumeId(const std::string &path, std::uint64_t *id);

} // namespace platform
