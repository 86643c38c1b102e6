// The display scale: the scale rule, the choice of the primary monitor, the
// rebuilt monitor list, the QT_SCALE_FACTOR text, and the X11 enumeration
// against a private Xvfb.
#include "app/display_scale.h"
#include "support/xvfb_server.h"

#include <QLocale>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

namespace {

MonitorInfo monitor(const QString &name, bool primary, double scale = 1.0)
{
    MonitorInfo info;
    info.deviceName = name;
    info.primary = primary;
    info.scale = scale;
    return info;
}

bool isDefaultRecord(const MonitorInfo &info)
{
    return info.scale == 0.0 && !info.primary && info.bitsPerPel == 32 && info.logPixels == 0
        && info.width == 0 && info.deviceName.isEmpty() && info.deviceString.isEmpty()
        && info.devModeSize() == 220;
}

// Adds a RandR 1.5 monitor (no outputs) to a running X server.
void addMonitor(Display *display, const char *name, bool primary, int x, int width, int height,
                int widthMm)
{
    XRRMonitorInfo *info = XRRAllocateMonitor(display, 0);
    info->name = XInternAtom(display, name, False);
    info->primary = primary ? True : False;
    info->x = x;
    info->y = 0;
    info->width = width;
    info->height = height;
    info->mwidth = widthMm;
    info->mheight = widthMm * height / width;
    XRRSetMonitor(display, DefaultRootWindow(display), info);
    XRRFreeMonitors(info);
    XSync(display, False);
}

// What xrdb would do: replace the root window's resource database.
void setResources(Display *display, const QByteArray &resources)
{
    XChangeProperty(display, DefaultRootWindow(display),
                    XInternAtom(display, "RESOURCE_MANAGER", False), XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(resources.constData()),
                    resources.size());
    XSync(display, False);
}

} // namespace

class TestDisplayScale : public QObject
{
    Q_OBJECT

private slots:
    void scaleFactorText_data();
    void scaleFactorText();
    void scaleFactorTextIgnoresTheDefaultLocale();
    void scaleRule_data();
    void scaleRule();
    void recordConversion();
    void defaultRecord();
    void primarySelection();
    void listIsRebuiltOnEveryCall();
    void noDisplayGivesTheDefaultRecord();
    void x11SingleScreenStandsAsPrimary();
    void x11MarkedPrimaryWins();
    void x11XftDpiIsTheEffectiveDpi();

private:
    bool startServer(XvfbServer &server);
};

void TestDisplayScale::scaleFactorText_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("text");
    QTest::newRow("96 dpi") << 96 / 96.0 << "1";
    QTest::newRow("120 dpi") << 120 / 96.0 << "1.25";
    QTest::newRow("144 dpi") << 144 / 96.0 << "1.5";
    QTest::newRow("168 dpi") << 168 / 96.0 << "1.75";
    QTest::newRow("192 dpi") << 192 / 96.0 << "2";
    QTest::newRow("no monitor") << 0.0 << "0";
    QTest::newRow("100 dpi") << 100 / 96.0 << "1.04167";
    QTest::newRow("110 dpi") << 110 / 96.0 << "1.14583";
}

void TestDisplayScale::scaleFactorText()
{
    QFETCH(double, scale);
    QFETCH(QString, text);
    QCOMPARE(::scaleFactorText(scale), text);
}

void TestDisplayScale::scaleFactorTextIgnoresTheDefaultLocale()
{
    // Qt parses QT_SCALE_FACTOR with a dot; a German default locale must not
    // turn 1.25 into "1,25".
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = ::scaleFactorText(1.25);
    QLocale::setDefault(previous);
    QCOMPARE(text, QStringLiteral("1.25"));
}

void TestDisplayScale::scaleRule_data()
{
    QTest::addColumn<unsigned>("effectiveDpi");
    QTest::addColumn<int>("logPixels");
    QTest::addColumn<unsigned>("systemDpi");
    QTest::addColumn<double>("scale");
    QTest::newRow("effective 144") << 144u << 0 << 0u << 1.5;
    QTest::newRow("effective wins over the rest") << 96u << 144 << 120u << 1.0;
    QTest::newRow("logPixels 120 without effective") << 0u << 120 << 144u << 1.25;
    QTest::newRow("logPixels 100, not rounded") << 0u << 100 << 0u << 100.0 / 96.0;
    QTest::newRow("system 144 only (Windows 7)") << 0u << 0 << 144u << 1.5;
    QTest::newRow("nothing known") << 0u << 0 << 0u << 0.0;
}

void TestDisplayScale::scaleRule()
{
    QFETCH(unsigned, effectiveDpi);
    QFETCH(int, logPixels);
    QFETCH(unsigned, systemDpi);
    QFETCH(double, scale);
    const double computed = monitorScale(effectiveDpi, logPixels, systemDpi);
    // Exact: the rule is one division, nothing is rounded on the way.
    QVERIFY2(computed == scale, qPrintable(QString::number(computed, 'g', 17)));
}

void TestDisplayScale::recordConversion()
{
    platform::MonitorRecord record;
    record.left = -1920;
    record.top = 10;
    record.width = 1920;
    record.height = 1080;
    record.positionX = -1920;
    record.positionY = 10;
    record.pelsWidth = 1920;
    record.pelsHeight = 1080;
    record.logPixels = 144;
    record.bitsPerPel = 24;
    record.primary = true;
    record.deviceName = { 'D', 'I', 'S', 'P', '1' };
    record.deviceString = { 'P', 'a', 'n', 'e', 'l' };
    record.devMode[0] = 0x5a;
    record.devMode[219] = 0xa5;

    MonitorInfo info = monitorInfoFromRecord(record);
    QCOMPARE(info.left, -1920);
    QCOMPARE(info.top, 10);
    QCOMPARE(info.width, 1920);
    QCOMPARE(info.height, 1080);
    QCOMPARE(info.positionX, -1920);
    QCOMPARE(info.pelsHeight, 1080);
    QCOMPARE(info.bitsPerPel, 24);
    QCOMPARE(info.primary, true);
    QCOMPARE(info.deviceName, QStringLiteral("DISP1"));
    QCOMPARE(info.deviceString, QStringLiteral("Panel"));
    QCOMPARE(info.devMode[0], static_cast<unsigned char>(0x5a));
    QCOMPARE(info.devMode[219], static_cast<unsigned char>(0xa5));
    // No effective DPI: logPixels decides.
    QCOMPARE(info.scale, 1.5);

    record.effectiveDpi = 120;
    info = monitorInfoFromRecord(record);
    QCOMPARE(info.scale, 1.25);
}

void TestDisplayScale::defaultRecord()
{
    const MonitorInfo info;
    QVERIFY(isDefaultRecord(info));
    // Only the size field is set: 220 as a little-endian 16-bit value.
    int nonZero = 0;
    for (unsigned char byte : info.devMode)
        nonZero += byte != 0;
    QCOMPARE(nonZero, 1);
    QCOMPARE(int(info.devMode[68]), 220);
}

void TestDisplayScale::primarySelection()
{
    // The primary second in enumeration order is still the one returned.
    MonitorInfo chosen = selectPrimaryMonitor({ monitor(QStringLiteral("first"), false, 1.0),
                                                monitor(QStringLiteral("second"), true, 1.5) });
    QCOMPARE(chosen.deviceName, QStringLiteral("second"));
    QCOMPARE(chosen.scale, 1.5);

    // Should two claim to be primary, the first wins.
    chosen = selectPrimaryMonitor(
        { monitor(QStringLiteral("a"), true, 2.0), monitor(QStringLiteral("b"), true, 1.0) });
    QCOMPARE(chosen.deviceName, QStringLiteral("a"));

    QVERIFY(isDefaultRecord(selectPrimaryMonitor(
        { monitor(QStringLiteral("a"), false), monitor(QStringLiteral("b"), false) })));
    QVERIFY(isDefaultRecord(selectPrimaryMonitor({})));
}

void TestDisplayScale::listIsRebuiltOnEveryCall()
{
    int calls = 0;
    const auto twoMonitors = [&calls] {
        ++calls;
        return MonitorList { monitor(QStringLiteral("left"), false),
                             monitor(QStringLiteral("right"), true, 1.25) };
    };
    QCOMPARE(primaryMonitorInfo(twoMonitors).deviceName, QStringLiteral("right"));
    QCOMPARE(primaryMonitorInfo(twoMonitors).scale, 1.25);
    QCOMPARE(calls, 2);
    QCOMPARE(monitorList().size(), std::size_t(2));
    QCOMPARE(monitorList().front().deviceName, QStringLiteral("left"));

    // A display mode that cannot be read for the first monitor leaves the
    // enumeration empty: the old records must not linger.
    QVERIFY(isDefaultRecord(primaryMonitorInfo([] { return MonitorList(); })));
    QVERIFY(monitorList().empty());
}

void TestDisplayScale::noDisplayGivesTheDefaultRecord()
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const MonitorInfo info = primaryMonitorInfo();
    const bool empty = monitorList().empty();
    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    QVERIFY(isDefaultRecord(info));
    QVERIFY(empty);
}

bool TestDisplayScale::startServer(XvfbServer &server)
{
    if (!server.start())
        return false;
    qputenv("DISPLAY", server.displayName().toLatin1());
    return true;
}

void TestDisplayScale::x11SingleScreenStandsAsPrimary()
{
    XvfbServer server;
    if (!startServer(server))
        QSKIP("Xvfb is not available");
    const MonitorInfo info = primaryMonitorInfo();
    QCOMPARE(monitorList().size(), std::size_t(1));
    // Xvfb marks no output primary; the only monitor stands in.
    QVERIFY(info.primary);
    QCOMPARE(info.width, 1280);
    QCOMPARE(info.height, 800);
    QCOMPARE(info.pelsWidth, 1280);
    QCOMPARE(info.bitsPerPel, 24);
    QVERIFY(!info.deviceName.isEmpty());
    // No Xft.dpi: the X default of 96, not the screen's millimetres.
    QCOMPARE(info.logPixels, 96);
    QCOMPARE(info.scale, 1.0);
    QCOMPARE(info.devModeSize(), 220);
}

void TestDisplayScale::x11MarkedPrimaryWins()
{
    XvfbServer server;
    if (!startServer(server))
        QSKIP("Xvfb is not available");
    Display *display = XOpenDisplay(server.displayName().toLatin1().constData());
    QVERIFY(display);
    // 640 pixels over 113 mm are 144 physical dots per inch, which no X
    // desktop scales by: only Xft.dpi does.
    addMonitor(display, "SIDE", true, 640, 640, 400, 113);
    const MonitorInfo info = primaryMonitorInfo();
    XCloseDisplay(display);

    QCOMPARE(monitorList().size(), std::size_t(2));
    QCOMPARE(info.deviceName, QStringLiteral("SIDE"));
    QCOMPARE(info.left, 640);
    QCOMPARE(info.width, 640);
    QCOMPARE(info.logPixels, 96);
    QCOMPARE(info.scale, 1.0);
    int primaries = 0;
    for (const MonitorInfo &each : monitorList())
        primaries += each.primary;
    QCOMPARE(primaries, 1);
}

void TestDisplayScale::x11XftDpiIsTheEffectiveDpi()
{
    XvfbServer server;
    if (!startServer(server))
        QSKIP("Xvfb is not available");
    Display *display = XOpenDisplay(server.displayName().toLatin1().constData());
    QVERIFY(display);
    setResources(display, "Xcursor.size: 24\nXft.dpi:\t120\nXft.antialias: 1\n");
    MonitorInfo info = primaryMonitorInfo();
    QCOMPARE(info.scale, 1.25);
    QCOMPARE(info.logPixels, 96);

    // A value that is not a number is no effective DPI.
    setResources(display, "Xft.dpi: large\n");
    info = primaryMonitorInfo();
    XCloseDisplay(display);
    QCOMPARE(info.scale, 1.0);
}

QTEST_GUILESS_MAIN(TestDisplayScale)
#include "tst_display_scale.moc"
