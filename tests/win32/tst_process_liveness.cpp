// Telling a running process from an ended one, as the single-instance guard
// does for the primary that its shared block names.
#include "check.h"
#include "platform/process_liveness.h"

#include <string>
#include <windows.h>

int wmain(int argc, wchar_t **argv)
{
    // Started by the test below as the process that ends at once.
    if (argc > 1 && std::wstring(argv[1]) == L"--exit")
        return 0;

    CHECK(platform::isProcessAlive(GetCurrentProcessId()));
    CHECK(!platform::isProcessAlive(0));
    CHECK(!platform::isProcessAlive(-1));
    CHECK(!platform::isProcessAlive(0x100000000LL + GetCurrentProcessId()));

    std::wstring commandLine = L"\"" + std::wstring(argv[0]) + L"\" --exit";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const bool started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &info);
    CHECK(started);
    if (started) {
        CHECK(WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0);
        // Our handle keeps the process object alive; it has still ended.
        CHECK(!platform::isProcessAlive(info.dwProcessId));
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CHECK(!platform::isProcessAlive(info.dwProcessId));
    }
    return check::finish("tst_process_liveness");
}
