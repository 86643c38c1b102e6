#include "platform/new_file.h"

#include <windows.h>

namespace platform {

namespace {

FileFailure failureOf(DWORD error)
{
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        return FileFailure::DiskFull;
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return FileFailure::Exists;
    return FileFailure::Other;
}

} // namespace

NativeFile createNewFile(const NativeString &path, unsigned, FileFailure *failure)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *failure = failureOf(GetLastError());
        return -1;
    }
    *failure = FileFailure::None;
    return reinterpret_cast<NativeFile>(file);
}

FileFailure writeAll(NativeFile file, const void *data, std::size_t size)
{
    const char *next = static_cast<const char *>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file), next, chunk, &written, nullptr))
            return failureOf(GetLastError());
        if (written == 0)
            return FileFailure::Other;
        next += written;
        size -= written;
    }
    return FileFailure::None;
}

bool createFolder(const NativeString &path)
{
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
}

bool moveEntry(const NativeString &from, const NativeString &to)
{
    return MoveFileExW(from.c_str(), to.c_str(), 0) != 0;
}

bool removeFolder(const NativeString &path)
{
    return RemoveDirectoryW(path.c_str()) != 0;
}

FileFailure closeFile(NativeFile file)
{
    return CloseHandle(reinterpret_cast<HANDLE>(file)) ? FileFailure::None
                                                       : failureOf(GetLastError());
}

} // namespace platform
