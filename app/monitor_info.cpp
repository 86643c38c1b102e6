#include "app/monitor_info.h"

int MonitorInfo::devModeSize() const
{
    // dmSize: a little-endian 16-bit value at offset 68.
    return devMode[68] | (devMode[69] << 8);
}
