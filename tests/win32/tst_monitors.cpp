// The monitor enumeration: records in the shape Windows gives them, one
// primary, and SHCore's effective DPI only where Windows 8.1 or later runs.
// Under Wine the test also starts a copy of itself that Wine presents as
// Windows 10, so that both sides of the version check are exercised.
#include "check.h"
#include "platform/monitors.h"

#include <windows.h>

#include <string>

namespace {

bool windows81OrLater()
{
    using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!rtlGetVersion || rtlGetVersion(&version) != 0)
        return false;
    return version.dwMajorVersion > 6
        || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 3);
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

int devModeSize(const platform::MonitorRecord &record)
{
    return record.devMode[68] | (record.devMode[69] << 8);
}

unsigned long readDword(const platform::MonitorRecord &record, std::size_t offset)
{
    unsigned long value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<unsigned long>(record.devMode[offset + i]) << (8 * i);
    return value;
}

void checkRecords(const std::vector<platform::MonitorRecord> &records)
{
    CHECK(!records.empty());
    int primaries = 0;
    for (const platform::MonitorRecord &record : records) {
        primaries += record.primary ? 1 : 0;
        CHECK(record.deviceName.rfind(L"\\\\.\\", 0) == 0);
        CHECK(record.width > 0 && record.height > 0);
        // The display mode and the monitor rectangle describe the same
        // desktop area.
        CHECK(record.pelsWidth == record.width);
        CHECK(record.pelsHeight == record.height);
        CHECK(record.positionX == record.left);
        CHECK(record.positionY == record.top);
        CHECK(record.bitsPerPel > 0);
        // The system may write back the size of the record version it
        // filled (Wine says 188), never more than we offered.
        CHECK(devModeSize(record) > 0 && devModeSize(record) <= 220);
        // The raw record is the whole display mode: dmPelsWidth and
        // dmBitsPerPel at their DEVMODEW offsets match the fields read.
        CHECK(readDword(record, 172) == static_cast<unsigned long>(record.pelsWidth));
        CHECK(readDword(record, 168) == static_cast<unsigned long>(record.bitsPerPel));
    }
    CHECK(primaries == 1);
    for (const platform::MonitorRecord &record : records) {
        if (!record.primary)
            continue;
        CHECK(record.left == 0 && record.top == 0);
        CHECK(record.width == GetSystemMetrics(SM_CXSCREEN));
        CHECK(record.height == GetSystemMetrics(SM_CYSCREEN));
    }
}

// Runs this program again under another name that Wine reports as Windows 10.
void checkAsWindows10()
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring childName = L"tst_monitors_as_win10.exe";
    const std::wstring child = std::wstring(temp) + childName;
    CHECK(CopyFileW(self, child.c_str(), FALSE));

    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + childName;
    const wchar_t version[] = L"win10";
    CHECK(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version,
                          sizeof(version))
          == ERROR_SUCCESS);

    std::wstring commandLine = L"\"" + child + L"\" child";
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process {};
    const BOOL started = CreateProcessW(child.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    CHECK(started);
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CHECK(exitCode == 0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    DeleteFileW(child.c_str());
}

} // namespace

int wmain(int argc, wchar_t *argv[])
{
    const bool child = argc > 1 && std::wstring(argv[1]) == L"child";
    const std::vector<platform::MonitorRecord> records = platform::enumerateMonitors();
    checkRecords(records);

    CHECK(platform::perMonitorDpiAvailable() == windows81OrLater());
    for (const platform::MonitorRecord &record : records) {
        if (platform::perMonitorDpiAvailable())
            CHECK(record.effectiveDpi >= 96);
        else
            CHECK(record.effectiveDpi == 0);
        // Every Windows version tells the system's DPI.
        CHECK(record.systemDpi >= 96);
    }

    // A second enumeration gives the same monitors, not more.
    CHECK(platform::enumerateMonitors().size() == records.size());

    if (child) {
        CHECK(windows81OrLater());
        return check::finish("tst_monitors (as Windows 10)");
    }
    if (underWine())
        checkAsWindows10();
    return check::finish("tst_monitors");
}
