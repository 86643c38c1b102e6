#pragma once

#include "platform/native_string.h"

#include <cstddef>
#include <cstdint>

namespace platform {

// An open file: the HANDLE as an integer on Windows, the descriptor on Unix.
// Both systems' failed opens give -1.
#ifdef _WIN32
using NativeFile = std::intptr_t;
#else
using NativeFile = int;
#endif

// Why a file operation failed, in the terms the installer reports.
enum class FileFailure { None, DiskFull, Exists, Other };

// Creates a new file for writing. Fails with Exists when anything is already
// at path, a link included, which is never written through: CREATE_NEW with
// FILE_FLAG_OPEN_REPARSE_POINT on Windows, O_CREAT|O_EXCL|O_NOFOLLOW on
// Unix. mode holds the permission bits (before the umask) on Unix; a Windows
// file takes its folder's access rights instead. Returns the open file, or
// -1 with *failure set.
NativeFile createNewFile(const NativeString &path, unsigned mode, FileFailure *failure);

// Writes all size bytes, retrying short writes; a full disk or quota
// (ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ENOSPC, EDQUOT) is DiskFull.
FileFailure writeAll(NativeFile file, const void *data, std::size_t size);

// Creates the folder path, whose parent must exist (mkdir with mode 0755
// before the umask, CreateDirectoryW). False when it was not made, an entry
// already at path included, with the system's error left for lastError().
bool createFolder(const NativeString &path);

// Renames the entry at from (a file, a link itself, or a folder) to to on
// the same volume. Never replaces what is at to and never falls back to
// copying: MoveFileExW without flags on Windows, renameat2 with
// RENAME_NOREPLACE on Linux (on a file system without that flag, a check
// for to just before a plain rename). False with the system's error left
// for lastError().
bool moveEntry(const NativeString &from, const NativeString &to);

// Removes the empty folder path (or a link to a folder, not what it points
// to). False with the system's error left for lastError().
bool removeFolder(const NativeString &path);

// Closes the file; a delayed write error (NFS, some file systems report a
// full disk only here) is reported as well.
FileFailure closeFile(NativeFile file);

} // namespace platform
