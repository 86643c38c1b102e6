#include "platform/processes.h"

#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

namespace platform {

std::int64_t findProcess(const NativeString &executableName)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    std::int64_t found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, executableName.c_str(), -1, TRUE)
            == CSTR_EQUAL) {
            found = entry.th32ProcessID;
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

bool terminateProcess(std::int64_t processId)
{
    if (processId <= 0 || processId > 0xFFFFFFFFll)
        return false;
    const HANDLE process
        = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return false;
    if (!TerminateProcess(process, 0)) {
        CloseHandle(process);
        return false;
    }
    WaitForSingleObject(process, 200);
    CloseHandle(process);
    return true;
}

} // namespace platform
