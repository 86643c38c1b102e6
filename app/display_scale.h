#pragma once

#include <QString>

#include <array>
#include <vector>

// One display monitor as the system describes it.
struct MonitorInfo
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
    double scale = 0.0;
    bool primary = false;
    QString deviceName;
    QString deviceString;
    // The whole system display-mode record (DEVMODEW, 220 bytes); only its
    // size field is set in the default record.
    std::array<unsigned char, 220> devMode = defaultDevMode();

    static std::array<unsigned char, 220> defaultDevMode();
};

// The record of the primary monitor, or the default record when there is
// none. Rebuilds the process-wide monitor list on every call.
MonitorInfo primaryMonitorInfo();

// The text QT_SCALE_FACTOR gets for a scale: 1, 1.25, 1.5, 2, 0, 1.04167.
QString scaleFactorText(double scale);
