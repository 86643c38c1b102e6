#include "platform/new_file.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

NativeFile createNewFile(const NativeString &path, unsigned mode, FileFailure *failure)
{
    const int file
        = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    *failure = file < 0 ? failureOf(errno) : FileFailure::None;
    return file;
}

FileFailure writeAll(NativeFile file, const void *data, std::size_t size)
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

bool createFolder(const NativeString &path)
{
    return ::mkdir(path.c_str(), 0755) == 0;
}

bool moveEntry(const NativeString &from, const NativeString &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    struct stat status;
    if (::lstat(to.c_str(), &status) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool removeFolder(const NativeString &path)
{
    return ::rmdir(path.c_str()) == 0;
}

FileFailure closeFile(NativeFile file)
{
    return ::close(file) == 0 ? FileFailure::None : failureOf(errno);
}

} // namespace platform
