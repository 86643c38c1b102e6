#pragma once

#include "platform/native_string.h"

#include <cstdint>

namespace platform {

// Id of the first running process whose executable file name, without
// folder, equals executableName ignoring letter case (ASCII letters on
// Unix); 0 if none. Windows reads the system's process snapshot; Unix reads
// /proc in its order, the name from the /proc/<pid>/exe link or, for
// processes of other users whose link cannot be read, from argv[0] or the
// kernel's short name.
std::int64_t findProcess(const NativeString &executableName);

// Ends the process (exit code 0 on Windows, SIGKILL on Unix) and waits at
// most 200 ms for it to go. False for id 0 or below (no system call, never a
// process group) or when it cannot be ended.
bool terminateProcess(std::int64_t processId);

} // namespace platform
