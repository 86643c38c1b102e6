#include "platform/unix/disk_space.h"

#include <sys/statvfs.h>

namespace platform {

bool diskFreeSpace(const std::string &path, std::uint64_t *freeBytes)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return false;
    *freeBytes = static_cast<std::uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

} // namespace platform
