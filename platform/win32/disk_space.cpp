#include "platform/disk_space.h"

#include <windows.h>

namespace platform {

bool diskFreeSpace(const NativeString &path, std::uint64_t *freeBytes)
{
    ULARGE_INTEGER totalFree;
    if (!GetDiskFreeSpaceExW(path.c_str(), nullptr, nullptr, &totalFree))
        return false;
    *freeBytes = totalFree.QuadPart;
    return true;
}

bool volumeBlocks(const NativeString &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks)
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

bool volumeFull(const NativeString &path)
{
    std::uint64_t blockSize = 0;
    std::uint64_t freeBlocks = 0;
    return volumeBlocks(path, &blockSize, &freeBlocks) && freeBlocks == 0;
}

} // namespace platform
