#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Why a file operation failed, in the terms the installer reports.
enum class FileFailure { None, DiskFull, Exists, Other };

// Creates a new file for writing (CREATE_NEW): fails with Exists when
// anything is at path, a reparse point included, which is opened as itself
// and never followed. Returns the handle as an integer, or -1 with *failure
// set. mode is ignored: the file takes the folder's access rights.
std::intptr_t createNewFile(const std::wstring &path, unsigned mode, FileFailure *failure);

// Writes all size bytes; ERROR_DISK_FULL and ERROR_HANDLE_DISK_FULL are
// DiskFull.
FileFailure writeAll(std::intptr_t file, const void *data, std::size_t size);

FileFailure closeFile(std::intptr_t file);

// Cluster size and free clusters for the caller on the volume holding path.
bool volumeBlocks(const std::wstring &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks);

// Whether the volume holding path has no free cluster left for the caller.
bool volumeFull(const std::wstring &path);

// The volume's serial number; false when it cannot be told.
bool volumeId(const std::wstring &path, std::uint64_t *id);

} // namespace platform
