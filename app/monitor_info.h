#pragma once

#include "platform/monitors.h"

#include <QString>

// One display monitor: geometry, current display mode, names, scale and the
// primary flag. A default-constructed record is what the display scale
// detection returns when no primary monitor is found. The system's own
// record (platform::MonitorRecord) carries what the scale rule reads, the
// effective and the system DPI; this one carries its result and the names
// as Qt text, and is what start-up reads.
struct MonitorInfo
{
    // The system display-mode record (DEVMODEW) kept as raw bytes, so that
    // this header stays portable.
    using DevMode = platform::MonitorRecord::DevMode;

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
    // Effective DPI / 96; 0.0 when neither the effective DPI nor logPixels
    // is known.
    double scale = 0.0;
    bool primary = false;
    QString deviceName;
    QString deviceString;
    // Empty: all zero except the size field, which holds 220.
    DevMode devMode = platform::MonitorRecord::emptyDevMode();

    // The dmSize field of devMode.
    int devModeSize() const;
};
