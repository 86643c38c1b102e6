#include "app/display_scale.h"

// Placeholder until the monitor enumeration lands: no primary monitor.
std::array<unsigned char, 220> MonitorInfo::defaultDevMode()
{
    std::array<unsigned char, 220> record {};
    // dmSize sits at offset 68 of DEVMODEW, a 16-bit little-endian value.
    record[68] = 220;
    return record;
}

MonitorInfo primaryMonitorInfo()
{
    return MonitorInfo();
}

QString scaleFactorText(double scale)
{
    return QStringLiteral("%1").arg(scale);
}
