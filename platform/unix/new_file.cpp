#include "platform/unix/new_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

FileFailure failureOf(int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return FileFailure::DiskFull;
    if (error == EEXIST || error == ELOOP)
        return FileFailure::Exists;
    return FileFailure::Other;
}

} // namespace

int createNewFile(const std::string &path, unsigned mode, FileFailure *failure)
{
    const int file
        = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    *failure = file < 0 ? failureOf(errno) : FileFailure::None;
    return file;
}

FileFailure writeAll(int file, const void *data, std::size_t size)
{
    const char *next = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(file, next, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failureOf(errno);
        }
        if (written == 0)
            return FileFailure::Other;
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return FileFailure::None;
}

FileFailure closeFile(int file)
{
    return ::close(file) == 0 ? FileFailure::None : failureOf(errno);
}

bool volumeBlocks(const std::string &path, std::uint64_t *blockSize, std::uint64_t *freeBlocks)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0 || volume.f_frsize == 0)
        return false;
    *blockSize = volume.f_frsize;
    *freeBlocks = volume.f_bavail;
    return true;
}

bool volumeFull(const std::string &path)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return false;
    return volume.f_bavail == 0 || (volume.f_files > 0 && volume.f_favail == 0);
}

bool volumeId(const std::string &path, std::uint64_t *id)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0)
        return false;
    *id = static_cast<std::uint64_t>(status.st_dev);
    return true;
}

} // namespace platform
