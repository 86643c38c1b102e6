#pragma once

#include "platform/native_string.h"

#include <cstdint>

namespace platform {

// Free bytes on the volume holding path; false when the query fails.
// Windows: the volume's total free bytes (the third result of
// GetDiskFreeSpaceExW). Unix: the bytes an unprivileged user may still write
// (statvfs: f_bavail blocks).
bool diskFreeSpace(const NativeString &path, std::uint64_t *freeBytes);

// The allocation unit and how many of them the caller may still fill on the
// volume holding path: the cluster size and free clusters within the
// caller's quota on Windows, statvfs's f_frsize and f_bavail on Unix.
bool volumeBlocks(const NativeString &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks);

// Whether the volume holding path has no room left for the caller: no free
// cluster on Windows; no free block, or no free file entry where the file
// system counts them, on Unix.
bool volumeFull(const NativeString &path);

} // namespace platform
