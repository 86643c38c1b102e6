// The shipped installer on a private X server, measured from outside with
// xdotool and xwininfo: its window is 524 x 308 times the desktop's scale
// (Xft.dpi, set with xrdb) and, without a compositing manager, cut to its
// body. Two accounts each get an installer of their own, while a second start
// by one of them still hands over.
#include "support/test_paths.h"
#include "support/xvfb_server.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestInstallerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sizeFollowsTheDesktopScale_data();
    void sizeFollowsTheDesktopScale();
    void twoAccountsEachGetTheirOwnInstaller();

private:
    QProcessEnvironment displayEnvironment() const;
    // Runs an X tool on the private display; its output.
    QString tool(const QString &program, const QStringList &arguments,
                 const QByteArray &input = QByteArray());
    // Starts the shipped copy, as another account when uid is not 0; false
    // when it did not start.
    bool start(QProcess &process, uid_t uid = 0);
    // The one visible window of a process; empty when none appeared.
    QString windowOf(const QProcess &process);

    XvfbServer m_server;
    QTemporaryDir m_root;
};

void TestInstallerWindow::initTestCase()
{
    for (const char *program : { "xrdb", "xdotool", "xwininfo", "xcompmgr" }) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is missing (scripts/bootstrap.sh)").arg(program)));
    }
    // No reset when the last client leaves: the resources must stay.
    if (!m_server.start(QStringLiteral("1920x1200x24"), { QStringLiteral("-noreset") }))
        QSKIP("Xvfb is not available");
    // A copy of the shipped folder every account may read, and one folder
    // for the guard's files shared by all, like /tmp.
    QCOMPARE(::chmod(QFile::encodeName(m_root.path()).constData(), 0755), 0);
    QDirIterator files(TestPaths::outputDir(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString target = m_root.filePath(files.next().mid(TestPaths::outputDir().size() + 1));
        QVERIFY(QDir().mkpath(QFileInfo(target).path()) && QFile::copy(files.filePath(), target));
    }
    QVERIFY(QDir(m_root.path()).mkdir(QStringLiteral("ipc")));
    QCOMPARE(::chmod(QFile::encodeName(m_root.filePath(QStringLiteral("ipc"))).constData(), 01777),
             0);
}

void TestInstallerWindow::sizeFollowsTheDesktopScale_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("compositor");
    for (int dpi : { 96, 120, 144, 192 })
        QTest::addRow("%d dpi", dpi) << dpi << false;
    QTest::newRow("144 dpi, compositing desktop") << 144 << true;
}

void TestInstallerWindow::sizeFollowsTheDesktopScale()
{
    QFETCH(int, dpi);
    QFETCH(bool, compositor);
    tool(QStringLiteral("xrdb"), { QStringLiteral("-nocpp"), QStringLiteral("-load"), "-" },
         QStringLiteral("Xft.dpi: %1\n").arg(dpi).toLatin1());
    QProcess compositingManager;
    if (compositor) {
        compositingManager.setProcessEnvironment(displayEnvironment());
        compositingManager.start(QStringLiteral("xcompmgr"), QStringList());
        QTest::qWait(500);
    }
    QProcess installer;
    QVERIFY(start(installer));
    const QString window = windowOf(installer);
    QVERIFY2(!window.isEmpty(), installer.readAllStandardError().constData());
    const QString info = tool(QStringLiteral("xwininfo"), { "-shape", "-id", window });
    installer.terminate();
    installer.waitForFinished();
    compositingManager.terminate();
    compositingManager.waitForFinished();

    const double scale = dpi / 96.0;
    const QString size = QStringLiteral("Width: %1\n  Height: %2\n")
                             .arg(qRound(524 * scale))
                             .arg(qRound(308 * scale));
    QVERIFY2(info.contains(size), qPrintable(info));
    // Without a compositor the 12 px shadow margin is cut away.
    const int margin = qRound(12 * scale);
    const QString shape = QStringLiteral("Window shape extents:  %1x%2+%3+%3")
                              .arg(qRound(524 * scale) - 2 * margin)
                              .arg(qRound(308 * scale) - 2 * margin)
                              .arg(margin);
    QVERIFY2(info.contains(compositor ? QStringLiteral("No window shape defined") : shape),
             qPrintable(info));
}

void TestInstallerWindow::twoAccountsEachGetTheirOwnInstaller()
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("needs root and setpriv to start the installer as two other accounts");
    QProcess first;
    QProcess second;
    QVERIFY(start(first, 47101));
    QVERIFY(start(second, 47102));
    QVERIFY2(!windowOf(first).isEmpty(), first.readAllStandardError().constData());
    QVERIFY2(!windowOf(second).isEmpty(), second.readAllStandardError().constData());

    // A second start by the first account hands over and shows nothing.
    QProcess again;
    QVERIFY(start(again, 47101));
    QVERIFY(again.waitForFinished(60000));
    QCOMPARE(again.exitCode(), 0);
    QVERIFY(!windowOf(first).isEmpty());
    first.terminate();
    second.terminate();
    QVERIFY(first.waitForFinished() && second.waitForFinished());
}

QProcessEnvironment TestInstallerWindow::displayEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_server.displayName());
    return environment;
}

QString TestInstallerWindow::tool(const QString &program, const QStringList &arguments,
                                  const QByteArray &input)
{
    QProcess process;
    process.setProcessEnvironment(displayEnvironment());
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool TestInstallerWindow::start(QProcess &process, uid_t uid)
{
    // Each account has a home of its own; the guard's files share one folder.
    const QString home = m_root.filePath(QStringLiteral("home%1").arg(uid));
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    for (const QString &folder : { home, runtime }) {
        if (::chown(QFile::encodeName(folder).constData(), uid, uid) != 0)
            return false;
    }
    QProcessEnvironment environment = displayEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("TMPDIR"), m_root.filePath(QStringLiteral("ipc")));
    process.setProcessEnvironment(environment);
    const QString installer = m_root.filePath(QStringLiteral("installer"));
    if (uid == 0)
        process.start(installer, QStringList());
    else
        process.start(QStringLiteral("setpriv"),
                      { QStringLiteral("--reuid=%1").arg(uid),
                        QStringLiteral("--regid=%1").arg(uid), QStringLiteral("--clear-groups"),
                        installer });
    return process.waitForStarted();
}

QString TestInstallerWindow::windowOf(const QProcess &process)
{
    const QString pid = QString::number(process.processId());
    QString window;
    for (int tries = 0; tries < 600 && window.isEmpty() && process.state() == QProcess::Running;
         ++tries) {
        window = tool(QStringLiteral("xdotool"), { "search", "--onlyvisible", "--pid", pid });
        if (window.isEmpty())
            QTest::qWait(100);
    }
    return window.contains(QLatin1Char('\n')) ? QString() : window;
}

QTEST_GUILESS_MAIN(TestInstallerWindow)
#include "tst_installer_window.moc"
