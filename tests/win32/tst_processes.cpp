// Finding a running program by its file name in another letter case and
// ending it. The program is a copy of this test under a name of its own, so
// the search cannot stumble on the test itself.
#include "check.h"
#include "platform/processes.h"

#include <windows.h>

#include <string>

namespace {

std::wstring temporaryFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    return std::wstring(buffer, length);
}

std::wstring ownPath()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    // The spawned copy just waits to be ended (and gives up after a minute
    // so that a failing test leaves nothing running).
    if (argc > 1 && std::wstring(argv[1]) == L"--wait") {
        Sleep(60000);
        return 7;
    }

    const std::wstring probe = temporaryFolder() + L"VelmarProbe.exe";
    CHECK(CopyFileW(ownPath().c_str(), probe.c_str(), FALSE));

    CHECK(platform::findProcess(L"VELMARPROBE.EXE") == 0);

    std::wstring commandLine = L"\"" + probe + L"\" --wait";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(probe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    CHECK(started);
    if (started) {
        const std::int64_t found = platform::findProcess(L"velmarprobe.EXE");
        CHECK(found == static_cast<std::int64_t>(process.dwProcessId));
        CHECK(platform::terminateProcess(found));
        // Ended by the terminate call with exit code 0, not by its own timeout.
        CHECK(WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0);
        DWORD exitCode = 99;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CHECK(exitCode == 0);
        CHECK(platform::findProcess(L"VelmarProbe.exe") == 0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    CHECK(!platform::terminateProcess(0));
    CHECK(platform::findProcess(L"") == 0);
    CHECK(platform::findProcess(L"no-such-program-here.exe") == 0);

    DeleteFileW(probe.c_str());
    return check::finish("tst_processes");
}
