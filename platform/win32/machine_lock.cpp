#include "platform/machine_lock.h"

#include <windows.h>

namespace platform {

LockResult acquireMachineLock(const std::string &name, MachineLock *lock)
{
    *lock = noMachineLock;
    if (name.empty())
        return LockResult::Failed;
    // Global: one namespace for every session and user of the machine. The
    // mutex is never waited on; the object exists exactly as long as a
    // handle to it is open, and Windows closes a handle when its process
    // ends.
    const std::wstring global = L"Global\\" + std::wstring(name.begin(), name.end());
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, global.c_str());
    if (!mutex) {
        // Another user's object, closed to this one: held all the same.
        return GetLastError() == ERROR_ACCESS_DENIED ? LockResult::Busy : LockResult::Failed;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return LockResult::Busy;
    }
    *lock = reinterpret_cast<MachineLock>(mutex);
    return LockResult::Acquired;
}

void releaseMachineLock(MachineLock lock)
{
    if (lock != noMachineLock)
        CloseHandle(reinterpret_cast<HANDLE>(lock));
}

} // namespace platform
