// The real installer on a private X server, measured from outside as a
// window manager sees it: its window is 524 x 308 times the desktop's scale
// (Xft.dpi, set with xrdb) and, with no compositing manager, cut to its body
// with the geometry unchanged. Two accounts each get an installer of their
// own, while a second start by one of them still hands over.
#include "support/test_paths.h"
#include "support/xvfb_server.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Generous for a busy machine; nothing here judges speed.
constexpr int LongWaitMs = 60000;

// A top-level window as the X server has it.
struct MappedWindow
{
    Window id = 0;
    QSize size;
    // The bounding shape's extents; null when the window is not shaped.
    QRect shape;
};

class XConnection
{
public:
    explicit XConnection(const QString &name)
        : m_display(XOpenDisplay(name.toLatin1().constData()))
    {
    }
    ~XConnection()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Display *display() const { return m_display; }

    // The viewable top-level windows whose _NET_WM_PID is pid.
    QList<MappedWindow> windowsOf(qint64 pid)
    {
        QList<MappedWindow> found;
        const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
        Window root = 0;
        Window parent = 0;
        Window *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(m_display, children[i], &attributes)
                || attributes.map_state != IsViewable || windowPid(children[i], pidAtom) != pid)
                continue;
            MappedWindow window;
            window.id = children[i];
            window.size = QSize(attributes.width, attributes.height);
            Bool bounding = False;
            Bool clip = False;
            int x = 0, y = 0, clipX = 0, clipY = 0;
            unsigned w = 0, h = 0, clipW = 0, clipH = 0;
            if (XShapeQueryExtents(m_display, children[i], &bounding, &x, &y, &w, &h, &clip, &clipX,
                                   &clipY, &clipW, &clipH)
                && bounding)
                window.shape = QRect(x, y, int(w), int(h));
            found << window;
        }
        if (children)
            XFree(children);
        return found;
    }

    // Polls until pid has exactly one window, with its shape applied when
    // one is expected (the mask may follow the map by a moment).
    MappedWindow waitForWindow(qint64 pid, bool shaped)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < LongWaitMs) {
            const QList<MappedWindow> windows = windowsOf(pid);
            if (windows.size() == 1 && windows.first().shape.isNull() != shaped)
                return windows.first();
            QTest::qWait(50);
        }
        return MappedWindow();
    }

    // What a window manager does when its close button is pressed.
    void requestClose(Window window)
    {
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, window, False, NoEventMask, &event);
        XFlush(m_display);
    }

    // Poses as a compositing manager: owns _NET_WM_CM_S0 until released.
    void claimCompositorSelection(bool claim)
    {
        const Atom selection = XInternAtom(m_display, "_NET_WM_CM_S0", False);
        if (claim && !m_owner)
            m_owner
                = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(m_display, selection, claim ? m_owner : None, CurrentTime);
        XSync(m_display, False);
    }

private:
    qint64 windowPid(Window window, Atom pidAtom)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char *data = nullptr;
        qint64 pid = -1;
        if (XGetWindowProperty(m_display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data)
                == Success
            && data && items == 1 && format == 32)
            pid = qint64(*reinterpret_cast<unsigned long *>(data));
        if (data)
            XFree(data);
        return pid;
    }

    Display *m_display;
    Window m_owner = 0;
};

} // namespace

class TestInstallerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sizeFollowsTheDesktopScale_data();
    void sizeFollowsTheDesktopScale();
    void twoAccountsEachGetTheirOwnInstaller();

private:
    // Starts the shipped copy, as the given account when uid is not 0.
    void start(QProcess &process, uid_t uid = 0);
    void setXftDpi(int dpi);
    // A folder for one account: HOME, runtime and cache live inside.
    QString accountHome(uid_t uid);

    XvfbServer m_server;
    QScopedPointer<XConnection> m_x;
    QTemporaryDir m_root;
    QString m_installer;
    QString m_ipc;
};

void TestInstallerWindow::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xrdb")).isEmpty())
        QSKIP("xrdb is not installed (scripts/bootstrap.sh installs it)");
    // No reset when the last client leaves: the resources must stay.
    if (!m_server.start(QStringLiteral("1920x1200x24"), { QStringLiteral("-noreset") }))
        QSKIP("Xvfb is not available");
    m_x.reset(new XConnection(m_server.displayName()));
    QVERIFY(m_x->display());

    // A copy of the shipped folder that every account may read, and one
    // folder for the guard's files shared by everybody, like /tmp.
    QVERIFY(m_root.isValid());
    QVERIFY(QFile::setPermissions(m_root.path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                      | QFileDevice::ExeGroup));
    const QString shipped = TestPaths::outputDir();
    const QString copy = m_root.filePath(QStringLiteral("shipped"));
    QDirIterator files(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target = copy + source.mid(shipped.size());
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        QVERIFY2(QFile::copy(source, target), qPrintable(source));
    }
    m_installer = copy + QStringLiteral("/installer");
    m_ipc = m_root.filePath(QStringLiteral("ipc"));
    QVERIFY(QDir().mkpath(m_ipc));
    QCOMPARE(::chmod(QFile::encodeName(m_ipc).constData(), 01777), 0);
}

void TestInstallerWindow::sizeFollowsTheDesktopScale_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("compositor");
    QTest::newRow("96 dpi") << 96 << false;
    QTest::newRow("120 dpi") << 120 << false;
    QTest::newRow("144 dpi") << 144 << false;
    QTest::newRow("192 dpi") << 192 << false;
    QTest::newRow("144 dpi, compositing desktop") << 144 << true;
}

void TestInstallerWindow::sizeFollowsTheDesktopScale()
{
    QFETCH(int, dpi);
    QFETCH(bool, compositor);
    setXftDpi(dpi);
    if (QTest::currentTestFailed())
        return;
    m_x->claimCompositorSelection(compositor);

    QProcess installer;
    start(installer);
    QVERIFY2(installer.waitForStarted(LongWaitMs), qPrintable(installer.errorString()));
    const MappedWindow window = m_x->waitForWindow(installer.processId(), !compositor);
    m_x->claimCompositorSelection(false);
    QVERIFY2(window.id, installer.readAllStandardError().constData());

    const double scale = dpi / 96.0;
    QCOMPARE(window.size, QSize(qRound(524 * scale), qRound(308 * scale)));
    if (!compositor) {
        // The 12 px shadow margin is cut away; the body stays where it was.
        const int margin = qRound(12 * scale);
        const QRect body
            = QRect(QPoint(0, 0), window.size).adjusted(margin, margin, -margin, -margin);
        QVERIFY2(qAbs(window.shape.left() - body.left()) <= 1
                     && qAbs(window.shape.top() - body.top()) <= 1
                     && qAbs(window.shape.width() - body.width()) <= 2
                     && qAbs(window.shape.height() - body.height()) <= 2,
                 qPrintable(QStringLiteral("shape %1,%2 %3x%4")
                                .arg(window.shape.x())
                                .arg(window.shape.y())
                                .arg(window.shape.width())
                                .arg(window.shape.height())));
    }

    m_x->requestClose(window.id);
    QVERIFY(installer.waitForFinished(LongWaitMs));
    QCOMPARE(installer.exitCode(), 0);
}

void TestInstallerWindow::twoAccountsEachGetTheirOwnInstaller()
{
    if (::geteuid() != 0)
        QSKIP("needs root to start the installer as two other accounts");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv (util-linux) is not installed");
    setXftDpi(96);
    if (QTest::currentTestFailed())
        return;
    const uid_t first = 47101;
    const uid_t second = 47102;

    // Both at once, from the same installer file.
    QProcess a;
    QProcess b;
    start(a, first);
    start(b, second);
    QVERIFY(a.waitForStarted(LongWaitMs) && b.waitForStarted(LongWaitMs));
    const MappedWindow windowA = m_x->waitForWindow(a.processId(), true);
    QVERIFY2(windowA.id, a.readAllStandardError().constData());
    const MappedWindow windowB = m_x->waitForWindow(b.processId(), true);
    QVERIFY2(windowB.id, b.readAllStandardError().constData());

    // A second start by the first account hands over and shows nothing.
    QProcess again;
    start(again, first);
    QVERIFY(again.waitForFinished(LongWaitMs));
    QCOMPARE(again.exitStatus(), QProcess::NormalExit);
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(m_x->windowsOf(a.processId()).size(), 1);

    m_x->requestClose(windowA.id);
    m_x->requestClose(windowB.id);
    QVERIFY(a.waitForFinished(LongWaitMs) && b.waitForFinished(LongWaitMs));
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
}

void TestInstallerWindow::start(QProcess &process, uid_t uid)
{
    const QString home = accountHome(uid);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_server.displayName());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("TMPDIR"), m_ipc);
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
    process.setProcessEnvironment(environment);
    if (uid == 0) {
        process.start(m_installer, QStringList());
    } else {
        const QString id = QString::number(uid);
        process.start(QStringLiteral("setpriv"),
                      { QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id,
                        QStringLiteral("--clear-groups"), QStringLiteral("--"), m_installer });
    }
}

QString TestInstallerWindow::accountHome(uid_t uid)
{
    const QString home = m_root.filePath(QStringLiteral("home%1").arg(uid));
    for (const char *folder : { "", "/runtime", "/cache", "/config", "/data" }) {
        const QString path = home + QLatin1String(folder);
        QDir().mkpath(path);
        const QByteArray native = QFile::encodeName(path);
        if (::chown(native.constData(), uid, uid) != 0 || ::chmod(native.constData(), 0700) != 0)
            qWarning("cannot hand %s to %u", native.constData(), unsigned(uid));
    }
    return home;
}

void TestInstallerWindow::setXftDpi(int dpi)
{
    QProcess xrdb;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_server.displayName());
    xrdb.setProcessEnvironment(environment);
    xrdb.start(QStringLiteral("xrdb"),
               { QStringLiteral("-nocpp"), QStringLiteral("-load"), QStringLiteral("-") });
    QVERIFY(xrdb.waitForStarted(LongWaitMs));
    xrdb.write(QStringLiteral("Xft.dpi: %1\n").arg(dpi).toLatin1());
    xrdb.closeWriteChannel();
    QVERIFY(xrdb.waitForFinished(LongWaitMs));
    QCOMPARE(xrdb.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestInstallerWindow)
#include "tst_installer_window.moc"
