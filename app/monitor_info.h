#pragma once

#include <QString>

#include <array>

// One display monitor: geometry, current display mode, names, scale and the
// primary flag. A default-constructed record is what the display scale
// detection returns when no primary monitor is found.
struct MonitorInfo
{
    // The system display-mode record (DEVMODEW) kept as raw bytes, so that
    // this header stays portable.
    using DevMode = std::array<unsigned char, 220>;

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
    DevMode devMode = emptyDevMode();

    // All zero except the size field (dmSize at offset 68, 16-bit little
    // endian), which holds 220.
    static DevMode emptyDevMode();
    // The dmSize field of devMode.
    int devModeSize() const;
};
