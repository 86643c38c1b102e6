// The machine-wide lock behind one installation per folder: a second
// holder, in this process or another, is refused; a release or the end of
// the holding process frees the name.
#include "check.h"
#include "platform/machine_lock.h"

#include <string>
#include <windows.h>

namespace {

// Runs this program with arguments; its exit code, or -1.
int runSelf(const wchar_t *self, const std::wstring &arguments)
{
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return -1;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return int(code);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    const std::string name = "installer-test-lock-" + std::to_string(GetCurrentProcessId());
    // Started below: "--try <pid>" reports what an acquisition of the
    // parent's name gives (0 acquired, 1 busy); "--hold <pid>" takes it and
    // ends without releasing it.
    if (argc == 3) {
        const std::wstring parent(argv[2]);
        const std::string parentName
            = "installer-test-lock-" + std::string(parent.begin(), parent.end());
        platform::MachineLock lock = platform::noMachineLock;
        const platform::LockResult result = platform::acquireMachineLock(parentName, &lock);
        return result == platform::LockResult::Acquired ? 0
            : result == platform::LockResult::Busy      ? 1
                                                        : 2;
    }
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());

    platform::MachineLock first = platform::noMachineLock;
    platform::MachineLock second = platform::noMachineLock;
    CHECK(platform::acquireMachineLock(name, &first) == platform::LockResult::Acquired);
    CHECK(platform::acquireMachineLock(name, &second) == platform::LockResult::Busy);
    CHECK(second == platform::noMachineLock);
    CHECK(platform::acquireMachineLock(name + "-other", &second) == platform::LockResult::Acquired);
    platform::releaseMachineLock(second);
    CHECK(runSelf(argv[0], L"--try " + pid) == 1);

    platform::releaseMachineLock(first);
    CHECK(runSelf(argv[0], L"--try " + pid) == 0);
    // A holder that ends without a release frees the name all the same.
    CHECK(runSelf(argv[0], L"--hold " + pid) == 0);
    CHECK(platform::acquireMachineLock(name, &first) == platform::LockResult::Acquired);
    platform::releaseMachineLock(first);
    return check::finish("tst_machine_lock");
}
