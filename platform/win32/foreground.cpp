#include "platform/foreground.h"

#include <windows.h>

namespace platform {

bool allowForeground(long long processId)
{
    // ASFW_ANY (all bits set) would hand the right to every process.
    if (processId <= 0 || processId >= static_cast<long long>(ASFW_ANY))
        return false;
    return AllowSetForegroundWindow(static_cast<DWORD>(processId)) != FALSE;
}

} // namespace platform
