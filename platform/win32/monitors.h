#pragma once

#include <array>
#include <string>
#include <vector>

namespace platform {

// One display monitor as Windows describes it, before any scale rule is
// applied. The Qt side turns these into MonitorInfo records.
struct MonitorRecord
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int positionX = 0;
    int positionY = 0;
    int pelsWidth = 0;
    int pelsHeight = 0;
    int logPixels = 0;
    int bitsPerPel = 32;
    // Effective DPI from SHCore's GetDpiForMonitor; 0 when unknown.
    unsigned effectiveDpi = 0;
    // The screen's DPI for the whole system (GetDeviceCaps LOGPIXELSX): all
    // there is before Windows 8.1, where display modes report no logPixels.
    unsigned systemDpi = 0;
    bool primary = false;
    std::wstring deviceName;
    std::wstring deviceString;
    // The whole DEVMODEW of the monitor's current display mode.
    std::array<unsigned char, 220> devMode {};
};

// Every monitor of the desktop in the system's enumeration order. The
// enumeration stops at the first monitor whose display mode cannot be read.
std::vector<MonitorRecord> enumerateMonitors();

// True when the per-monitor DPI entry points of SHCore were resolved at start
// (Windows 8.1 and later); otherwise the display mode's logPixels is all
// there is.
bool perMonitorDpiAvailable();

} // namespace platform
