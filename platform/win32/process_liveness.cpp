#include "platform/process_liveness.h"

#include <windows.h>

namespace platform {

bool isProcessAlive(long long processId)
{
    if (processId <= 0 || processId > 0xffffffffLL)
        return false;
    HANDLE process
        = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (!process) {
        // A process of another user (or a protected one) exists but is closed to us.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

} // namespace platform
