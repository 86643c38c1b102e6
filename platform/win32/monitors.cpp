#include "platform/monitors.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

// The records are copied byte for byte into fixed-size buffers shared with
// the portable side, so their layout must be the one the system uses.
static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW is 220 bytes");
static_assert(offsetof(DEVMODEW, dmSize) == 68, "DEVMODEW::dmSize sits at offset 68");
static_assert(sizeof(DISPLAY_DEVICEW) == 840, "DISPLAY_DEVICEW is 840 bytes");

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI; shellscalingapi.h is not needed for
// one constant and three pointer types.
constexpr int effectiveDpiType = 0;

using GetProcessDpiAwarenessFunction = HRESULT(WINAPI *)(HANDLE, int *);
using SetProcessDpiAwarenessFunction = HRESULT(WINAPI *)(int);
using GetDpiForMonitorFunction = HRESULT(WINAPI *)(HMONITOR, int, UINT *, UINT *);

// SHCore's per-monitor DPI entry points; all null before Windows 8.1 or when
// the library or a name is missing.
struct DpiFunctions
{
    GetProcessDpiAwarenessFunction getProcessDpiAwareness = nullptr;
    SetProcessDpiAwarenessFunction setProcessDpiAwareness = nullptr;
    GetDpiForMonitorFunction getDpiForMonitor = nullptr;
};

// GetVersionEx and the version helpers answer "Windows 8" to programs
// without a compatibility manifest; RtlGetVersion tells the truth.
bool isWindows81OrLater()
{
    using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return false;
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void *>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion)
        return false;
    OSVERSIONINFOW version {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (rtlGetVersion(&version) != 0)
        return false;
    if (version.dwMajorVersion != 6)
        return version.dwMajorVersion > 6;
    return version.dwMinorVersion >= 3;
}

template<typename Function> Function resolve(HMODULE library, const char *name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(library, name)));
}

DpiFunctions resolveDpiFunctions()
{
    DpiFunctions functions;
    if (!isWindows81OrLater())
        return functions;
    // Never freed: the addresses must stay valid for the life of the process.
    const HMODULE shcore = LoadLibraryW(L"SHCore.dll");
    if (!shcore)
        return functions;
    functions.getProcessDpiAwareness
        = resolve<GetProcessDpiAwarenessFunction>(shcore, "GetProcessDpiAwareness");
    functions.setProcessDpiAwareness
        = resolve<SetProcessDpiAwarenessFunction>(shcore, "SetProcessDpiAwareness");
    functions.getDpiForMonitor = resolve<GetDpiForMonitorFunction>(shcore, "GetDpiForMonitor");
    return functions;
}

// Resolved during static initialisation, before main, and only read later.
const DpiFunctions dpiFunctions = resolveDpiFunctions();

bool allDpiFunctionsResolved()
{
    return dpiFunctions.getProcessDpiAwareness && dpiFunctions.setProcessDpiAwareness
        && dpiFunctions.getDpiForMonitor;
}

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto &records = *reinterpret_cast<std::vector<platform::MonitorRecord> *>(data);

    MONITORINFOEXW info {};
    info.cbSize = sizeof(info);
    // Without the device name nothing else about this monitor can be read;
    // leave it out but keep looking, the primary monitor may still follow.
    if (!GetMonitorInfoW(monitor, &info))
        return TRUE;

    DEVMODEW mode {};
    mode.dmSize = sizeof(DEVMODEW);
    if (!EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode))
        return FALSE;

    platform::MonitorRecord record;
    DISPLAY_DEVICEW device {};
    device.cb = sizeof(DISPLAY_DEVICEW);
    if (EnumDisplayDevicesW(info.szDevice, 0, &device, 0))
        record.deviceString = device.DeviceString;

    if (allDpiFunctionsResolved()) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        if (SUCCEEDED(dpiFunctions.getDpiForMonitor(monitor, effectiveDpiType, &dpiX, &dpiY)))
            record.effectiveDpi = dpiX;
    }
    if (const HDC screen = GetDC(nullptr)) {
        record.systemDpi = static_cast<unsigned>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }

    record.deviceName = info.szDevice;
    record.left = info.rcMonitor.left;
    record.top = info.rcMonitor.top;
    record.width = info.rcMonitor.right - info.rcMonitor.left;
    record.height = info.rcMonitor.bottom - info.rcMonitor.top;
    record.positionX = mode.dmPosition.x;
    record.positionY = mode.dmPosition.y;
    record.pelsWidth = static_cast<int>(mode.dmPelsWidth);
    record.pelsHeight = static_cast<int>(mode.dmPelsHeight);
    record.logPixels = mode.dmLogPixels;
    record.bitsPerPel = static_cast<int>(mode.dmBitsPerPel);
    record.primary = info.dwFlags == MONITORINFOF_PRIMARY;
    std::memcpy(record.devMode.data(), &mode, sizeof(DEVMODEW));

    records.push_back(record);
    return TRUE;
}

} // namespace

namespace platform {

std::vector<MonitorRecord> enumerateMonitors()
{
    std::vector<MonitorRecord> records;
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&records));
    return records;
}

bool perMonitorDpiAvailable()
{
    return allDpiFunctionsResolved();
}

} // namespace platform
