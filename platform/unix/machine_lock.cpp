#include "platform/machine_lock.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

LockResult acquireMachineLock(const std::string &name, MachineLock *lock)
{
    *lock = noMachineLock;
    sockaddr_un address {};
    // The abstract namespace: a leading NUL, then the name; no file, and
    // the kernel frees the address with the socket's last descriptor.
    if (name.empty() || name.size() + 1 > sizeof address.sun_path)
        return LockResult::Failed;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return LockResult::Failed;
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&address), size) != 0) {
        const int error = errno;
        ::close(socket);
        return error == EADDRINUSE ? LockResult::Busy : LockResult::Failed;
    }
    *lock = socket;
    return LockResult::Acquired;
}

void releaseMachineLock(MachineLock lock)
{
    if (lock != noMachineLock)
        ::close(static_cast<int>(lock));
}

} // namespace platform
