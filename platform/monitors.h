#pragma once

#include "platform/native_string.h"

#include <array>
#include <vector>

namespace platform {

// One display monitor as the system describes it, before any scale rule is
// applied. X11 fills the shape of the Windows record, so that the portable
// scale rule treats both alike. The Qt side turns these into MonitorInfo
// records.
struct MonitorRecord
{
    // The bytes of a Windows display-mode record (DEVMODEW).
    using DevMode = std::array<unsigned char, 220>;

    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int positionX = 0;
    int positionY = 0;
    int pelsWidth = 0;
    int pelsHeight = 0;
    // The display mode's logical dots per inch; X desktops assume 96 without
    // Xft.dpi.
    int logPixels = 0;
    int bitsPerPel = 32;
    // Effective DPI from SHCore's GetDpiForMonitor, or the X desktop's
    // Xft.dpi resource; 0 when unknown.
    unsigned effectiveDpi = 0;
    // The screen's DPI for the whole system (GetDeviceCaps LOGPIXELSX): all
    // there is before Windows 8.1, where display modes report no logPixels.
    // Unused on X, where Xft.dpi above is the desktop's one value.
    unsigned systemDpi = 0;
    bool primary = false;
    NativeString deviceName;
    NativeString deviceString;
    // The whole DEVMODEW of the monitor's current display mode. X has none:
    // there it stays the empty record.
    DevMode devMode = emptyDevMode();

    // All zero except the size field (dmSize, a little-endian 16-bit value
    // at offset 68), which holds 220.
    static DevMode emptyDevMode()
    {
        DevMode mode {};
        mode[68] = 220;
        return mode;
    }
};

// Every monitor of the desktop in the system's enumeration order.
// Windows: the enumeration stops at the first monitor whose display mode
// cannot be read. X11: the RandR monitors of the display named by $DISPLAY,
// empty when there is none; X leaves the primary output unset unless the
// user chose one, while Windows always has a primary monitor, so when none
// is marked the first monitor stands as primary.
std::vector<MonitorRecord> enumerateMonitors();

// True when the effective DPI is the monitor's own: SHCore's per-monitor DPI
// entry points were resolved at start (Windows 8.1 and later). False on X,
// whose Xft.dpi is one value for the whole desktop.
bool perMonitorDpiAvailable();

} // namespace platform
