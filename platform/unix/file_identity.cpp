#include "platform/file_identity.h"

#include <sys/stat.h>

namespace platform {

bool readFileIdentity(const NativeString &path, FileIdentity *identity)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return false;
    identity->volume = static_cast<std::uint64_t>(status.st_dev);
    identity->file = static_cast<std::uint64_t>(status.st_ino);
    identity->size = static_cast<std::uint64_t>(status.st_size);
    identity->modified
        = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return true;
}

bool hideEntry(const NativeString &)
{
    return true;
}

} // namespace platform
