#include "platform/monitors.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdlib>

namespace {

// Xft.dpi from the root window's resource database, the value desktops set
// for their text and UI scale; 0 when it is missing or not a positive number.
unsigned xftDpi(Display *display)
{
    const char *resources = XResourceManagerString(display);
    if (!resources)
        return 0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database)
        return 0;
    unsigned dpi = 0;
    char *type = nullptr;
    XrmValue value {};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        const double parsed = std::strtod(value.addr, nullptr);
        if (parsed > 0 && parsed < 10000)
            dpi = static_cast<unsigned>(std::lround(parsed));
    }
    XrmDestroyDatabase(database);
    return dpi;
}

// X has nothing like the logical DPI of a Windows display mode. Without
// Xft.dpi, desktops and Qt draw at 96 dots per inch whatever the monitor's
// millimetres say (often wrong, sometimes missing): a monitor of 1920 px
// over 530 mm is no reason to shrink the window to 96 % of its size.
constexpr int defaultLogicalDpi = 96;

std::string atomName(Display *display, Atom atom)
{
    if (atom == None)
        return std::string();
    char *name = XGetAtomName(display, atom);
    if (!name)
        return std::string();
    std::string text(name);
    XFree(name);
    return text;
}

// The name of the first output that makes up the monitor, the nearest thing
// X has to the Windows display device's description.
std::string firstOutputName(Display *display, XRRScreenResources *resources,
                            const XRRMonitorInfo &monitor)
{
    if (!resources || monitor.noutput < 1)
        return std::string();
    XRROutputInfo *output = XRRGetOutputInfo(display, resources, monitor.outputs[0]);
    if (!output)
        return std::string();
    std::string name(output->name, static_cast<std::string::size_type>(output->nameLen));
    XRRFreeOutputInfo(output);
    return name;
}

std::vector<platform::MonitorRecord> readMonitors(Display *display)
{
    std::vector<platform::MonitorRecord> records;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // Monitors arrived with RandR 1.5.
    if (!XRRQueryExtension(display, &eventBase, &errorBase)
        || !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5))
        return records;

    const Window root = DefaultRootWindow(display);
    int count = 0;
    XRRMonitorInfo *monitors = XRRGetMonitors(display, root, True, &count);
    if (!monitors)
        return records;
    XRRScreenResources *resources = XRRGetScreenResourcesCurrent(display, root);
    const unsigned effectiveDpi = xftDpi(display);
    const int depth = DefaultDepth(display, DefaultScreen(display));

    bool anyPrimary = false;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo &monitor = monitors[i];
        platform::MonitorRecord record;
        record.left = monitor.x;
        record.top = monitor.y;
        record.width = monitor.width;
        record.height = monitor.height;
        record.positionX = monitor.x;
        record.positionY = monitor.y;
        record.pelsWidth = monitor.width;
        record.pelsHeight = monitor.height;
        record.logPixels = defaultLogicalDpi;
        record.bitsPerPel = depth;
        record.effectiveDpi = effectiveDpi;
        record.primary = monitor.primary != 0;
        record.deviceName = atomName(display, monitor.name);
        record.deviceString = firstOutputName(display, resources, monitor);
        anyPrimary = anyPrimary || record.primary;
        records.push_back(record);
    }
    if (!anyPrimary && !records.empty())
        records.front().primary = true;

    if (resources)
        XRRFreeScreenResources(resources);
    XRRFreeMonitors(monitors);
    return records;
}

} // namespace

namespace platform {

std::vector<MonitorRecord> enumerateMonitors()
{
    // XOpenDisplay(nullptr) would read $DISPLAY itself; checking first keeps
    // a display-less run (CI, offscreen tests) from any X library call.
    const char *displayName = std::getenv("DISPLAY");
    if (!displayName || !*displayName)
        return {};
    Display *display = XOpenDisplay(displayName);
    if (!display)
        return {};
    std::vector<MonitorRecord> records = readMonitors(display);
    XCloseDisplay(display);
    return records;
}

bool perMonitorDpiAvailable()
{
    return false;
}

} // namespace platform
