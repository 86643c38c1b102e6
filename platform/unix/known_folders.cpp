#include "platform/known_folders.h"

#include "platform/unix/freedesktop.h"

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

NativeString programFilesFolder()
{
    return xdgDataHome();
}

NativeString userProgramFilesFolder()
{
    return NativeString();
}

NativeString systemFolder()
{
    return NativeString();
}

bool canCreateFolderIn(const NativeString &folder)
{
    if (folder.empty())
        return false;
    // Unique per process and attempt, so that two installers probing at once
    // never remove each other's folder.
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    NativeString probe = folder;
    if (probe.back() != '/')
        probe += '/';
    probe += "installer-probe-" + std::to_string(::getpid()) + '-' + std::to_string(now.tv_sec)
        + '-' + std::to_string(now.tv_nsec);
    if (::mkdir(probe.c_str(), 0700) != 0)
        return false;
    ::rmdir(probe.c_str());
    return true;
}

} // namespace platform
