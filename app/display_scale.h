#pragma once

#include "app/monitor_info.h"
#include "platform/monitors.h"

#include <QString>

#include <functional>
#include <vector>

using MonitorList = std::vector<MonitorInfo>;

// The scale of a monitor: its effective DPI when the system gives one,
// otherwise the display mode's logPixels, otherwise the system's DPI,
// divided by 96 without rounding (120 gives 1.25, 144 gives 1.5, 100 gives
// 1.0416666...). Windows before 8.1 has no effective DPI and its display
// modes report no logPixels: without the system's DPI its scaled desktops
// would get an installer at 100 %.
double monitorScale(unsigned effectiveDpi, int logPixels, unsigned systemDpi = 0);

// A platform monitor record turned into a MonitorInfo with its scale.
MonitorInfo monitorInfoFromRecord(const platform::MonitorRecord &record);

// The system's monitors in enumeration order.
MonitorList systemMonitors();

// A copy of the first record marked primary, or the default record.
MonitorInfo selectPrimaryMonitor(const MonitorList &monitors);

// Empties the process-wide monitor list, refills it from enumerate and
// returns its primary monitor's record (or the default record). Not
// thread-safe: called once, on the main thread, before anything else runs.
MonitorInfo primaryMonitorInfo(const std::function<MonitorList()> &enumerate);

// The same over the system's monitors; what start-up uses.
MonitorInfo primaryMonitorInfo();

// The process-wide monitor list as the last primaryMonitorInfo call left it.
const MonitorList &monitorList();

// The text QT_SCALE_FACTOR gets for a scale: the C-locale general form with
// six significant digits and no trailing zeros (1, 1.25, 1.5, 2, 0, 1.04167).
QString scaleFactorText(double scale);
