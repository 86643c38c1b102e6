#include "platform/win32/disk_space.h"

#include <windows.h>

namespace platform {

bool diskFreeSpace(const std::wstring &path, std::uint64_t *freeBytes)
{
    ULARGE_INTEGER totalFree;
    if (!GetDiskFreeSpaceExW(path.c_str(), nullptr, nullptr, &totalFree))
        return false;
    *freeBytes = totalFree.QuadPart;
    return true;
}

} // namespace platform
