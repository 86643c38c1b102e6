#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Id of the first running process (in /proc order) whose executable file name,
// without folder, equals executableName ignoring ASCII letter case; 0 if none.
// The name comes from the /proc/<pid>/exe link, or, for processes of other
// users whose link cannot be read, from argv[0] or the kernel's short name.
std::int64_t findProcess(const std::string &executableName);

// Kills the process (SIGKILL) and waits at most 200 ms for it to go.
// False for id 0 or below (never a process group) or when the kill fails.
bool terminateProcess(std::int64_t processId);

} // namespace platform
