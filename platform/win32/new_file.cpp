#include "platform/win32/new_file.h"

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

std::intptr_t createNewFile(const std::wstring &path, unsigned, FileFailure *failure)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *failure = failureOf(GetLastError());
        return -1;
    }
    *failure = FileFailure::None;
    return reinterpret_cast<std::intptr_t>(file);
}

FileFailure writeAll(std::intptr_t file, const void *data, std::size_t size)
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

FileFailure closeFile(std::intptr_t file)
{
    return CloseHandle(reinterpret_cast<HANDLE>(file)) ? FileFailure::None
                                                       : failureOf(GetLastError());
}

bool volumeBlocks(const std::wstring &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks)
{
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH))
        return false;
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return false;
    const std::uint64_t cluster = std::uint64_t(sectorsPerCluster) * bytesPerSector;
    ULARGE_INTEGER available;
    // The cluster count above stops at 2^32; the byte count (which honours
    // quotas) does not.
    if (cluster == 0 || !GetDiskFreeSpaceExW(root, &available, nullptr, nullptr))
        return false;
    *blockSize = cluster;
    *freeBlocks = available.QuadPart / cluster;
    return true;
}

bool volumeFull(const std::wstring &path)
{
    std::uint64_t blockSize = 0;
    std::uint64_t freeBlocks = 0;
    return volumeBlocks(path, &blockSize, &freeBlocks) && freeBlocks == 0;
}

bool volumeId(const std::wstring &path, std::uint64_t *id)
{
    wchar_t root[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)
        || !GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return false;
    *id = serial;
    return true;
}

} // namespace platform
