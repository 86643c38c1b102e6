#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Id of the first process in the system's process snapshot whose executable
// file name equals executableName ignoring case; 0 if none or no snapshot.
std::int64_t findProcess(const std::wstring &executableName);

// Ends the process with exit code 0 and waits at most 200 ms for it.
// False for id 0 (no system call), or when it cannot be opened or ended.
bool terminateProcess(std::int64_t processId);

} // namespace platform
