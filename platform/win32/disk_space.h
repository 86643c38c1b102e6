#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Total free bytes of the volume holding path (the third result of
// GetDiskFreeSpaceExW). False when the query fails.
bool diskFreeSpace(const std::wstring &path, std::uint64_t *freeBytes);

} // namespace platform
