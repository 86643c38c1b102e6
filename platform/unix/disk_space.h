#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Free bytes that an unprivileged user may still write on the file system
// holding path (statvfs: f_bavail blocks). False when the query fails.
bool diskFreeSpace(const std::string &path, std::uint64_t *freeBytes);

} // namespace platform
