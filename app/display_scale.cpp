#include "app/display_scale.h"

#include "config/native_path.h"

namespace {

MonitorList &processMonitorList()
{
    static MonitorList monitors;
    return monitors;
}

} // namespace

double monitorScale(unsigned effectiveDpi, int logPixels, unsigned systemDpi)
{
    if (effectiveDpi != 0)
        return effectiveDpi / 96.0;
    if (logPixels != 0)
        return logPixels / 96.0;
    return systemDpi / 96.0;
}

MonitorInfo monitorInfoFromRecord(const platform::MonitorRecord &record)
{
    MonitorInfo info;
    info.left = record.left;
    info.top = record.top;
    info.width = record.width;
    info.height = record.height;
    info.positionX = record.positionX;
    info.positionY = record.positionY;
    info.pelsWidth = record.pelsWidth;
    info.pelsHeight = record.pelsHeight;
    info.logPixels = record.logPixels;
    info.bitsPerPel = record.bitsPerPel;
    info.scale = monitorScale(record.effectiveDpi, record.logPixels, record.systemDpi);
    info.primary = record.primary;
    info.deviceName = fromNativeText(record.deviceName);
    info.deviceString = fromNativeText(record.deviceString);
    info.devMode = record.devMode;
    return info;
}

MonitorList systemMonitors()
{
    MonitorList monitors;
    for (const platform::MonitorRecord &record : platform::enumerateMonitors())
        monitors.push_back(monitorInfoFromRecord(record));
    return monitors;
}

MonitorInfo selectPrimaryMonitor(const MonitorList &monitors)
{
    for (const MonitorInfo &monitor : monitors) {
        if (monitor.primary)
            return monitor;
    }
    return MonitorInfo();
}

MonitorInfo primaryMonitorInfo(const std::function<MonitorList()> &enumerate)
{
    MonitorList &monitors = processMonitorList();
    monitors.clear();
    monitors = enumerate();
    return selectPrimaryMonitor(monitors);
}

MonitorInfo primaryMonitorInfo()
{
    return primaryMonitorInfo(systemMonitors);
}

const MonitorList &monitorList()
{
    return processMonitorList();
}

QString scaleFactorText(double scale)
{
    // QString::arg(double) formats in the C locale, 'g' with 6 digits.
    return QStringLiteral("%1").arg(scale, 0, 'g', 6);
}
