#include "platform/disk_space.h"

#include <sys/statvfs.h>

namespace platform {

bool diskFreeSpace(const NativeString &path, std::uint64_t *freeBytes)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return false;
    *freeBytes = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

bool volumeBlocks(const NativeString &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0 || volume.f_frsize == 0)
        return false;
    *blockSize = volume.f_frsize;
    *freeBlocks = volume.f_bavail;
    return true;
}

bool volumeFull(const NativeString &path)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return false;
    return volume.f_bavail == 0 || (volume.f_files > 0 && volume.f_favail == 0);
}

} // namespace platform
