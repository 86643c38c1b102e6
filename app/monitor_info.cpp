#include "app/monitor_info.h"

namespace {
constexpr int devModeSizeOffset = 68;
}

MonitorInfo::DevMode MonitorInfo::emptyDevMode()
{
    DevMode mode {};
    mode[devModeSizeOffset] = static_cast<unsigned char>(mode.size() & 0xff);
    mode[devModeSizeOffset + 1] = static_cast<unsigned char>(mode.size() >> 8);
    return mode;
}

int MonitorInfo::devModeSize() const
{
    return devMode[devModeSizeOffset] | (devMode[devModeSizeOffset + 1] << 8);
}
