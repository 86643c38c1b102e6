#pragma once

#include <array>
#include <string>
#include <vector>

namespace platform {

// One display monitor as X11 describes it, in the shape of the Windows
// record so that the portable scale rule treats both alike.
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
    // The logical dots per inch X desktops assume without Xft.dpi: 96.
    int logPixels = 0;
    int bitsPerPel = 32;
    // The desktop's Xft.dpi resource; 0 when it is not set.
    unsigned effectiveDpi = 0;
    // Unused here: Xft.dpi above is the desktop's one value.
    unsigned systemDpi = 0;
    bool primary = false;
    std::string deviceName;
    std::string deviceString;
    // Windows keeps its display-mode record (DEVMODEW) here; X has none, so
    // it holds only the record's size field, like an empty Windows record.
    std::array<unsigned char, 220> devMode = emptyDevMode();

    static std::array<unsigned char, 220> emptyDevMode()
    {
        std::array<unsigned char, 220> mode {};
        mode[68] = 220; // dmSize, a little-endian 16-bit value at offset 68
        return mode;
    }
};

// The RandR monitors of the display named by $DISPLAY, in the server's
// order; empty when there is no display. X leaves the primary output unset
// unless the user chose one, while Windows always has a primary monitor, so
// when none is marked the first monitor stands as primary.
std::vector<MonitorRecord> enumerateMonitors();

// The same for an explicit display name (tests start their own server).
std::vector<MonitorRecord> enumerateMonitors(const char *displayName);

} // namespace platform
