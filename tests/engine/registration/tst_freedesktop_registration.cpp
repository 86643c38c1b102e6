// A whole registration on Linux, in a temporary home: desktop entries for the
// menu, the desktop and autostart, the URL scheme handler made the default,
// the program link and the uninstall record.
#include "config/installer_config.h"
#include "engine/registration/earlier_installation.h"
#include "engine/registration/registration.h"
#include "support/desktop_file_problems.h"
#include "support/temporary_home.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

using TestFiles::readText;
using TestFiles::writeFile;

class TestFreedesktopRegistration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void registersEverything();
    void schemeHandlerIsTheDefaultForXdgMime();
    void noAutostartUnlessAsked();
    void failuresAreLoggedAndTheRestGoesOn();
    void desktopSetToHomeMeansNoDesktop();
    void singleOperations();

private:
    bool productIn(const QString &installDir, InstallerConfig *config);

    TemporaryHome *m_home = nullptr;
};

void TestFreedesktopRegistration::init()
{
    m_home = new TemporaryHome;
    QVERIFY(m_home->isValid());
}

void TestFreedesktopRegistration::cleanup()
{
    delete m_home;
    m_home = nullptr;
}

// The record of a product installed in installDir, and its files there.
bool TestFreedesktopRegistration::productIn(const QString &installDir, InstallerConfig *config)
{
    *config = InstallerConfig();
    config->productName = QStringLiteral("Velmar");
    config->productText = QStringLiteral("Velmar \"Pro\" 100% \u00fc\u7ef4 \\ $HOME");
    config->productVersion = QStringLiteral("2.1.0.7");
    config->publisher = QStringLiteral("Korvant");
    config->protocol = QStringLiteral("korvantvelmar");
    config->protocolDescription = QStringLiteral("Velmar links");
    config->supportUrl = QStringLiteral("https://support.example/velmar");
    config->installDir = installDir;
    config->bytesTotal = 1025;
    config->autoStart = true;
    // The installed program and its uninstaller, as the package brings them.
    return writeFile(installDir + QStringLiteral("/Velmar.exe"), "#!/bin/sh\n",
                     TestFiles::executable())
        && writeFile(installDir + QStringLiteral("/uninst.exe"), "#!/bin/sh\n",
                     TestFiles::executable());
}

void TestFreedesktopRegistration::registersEverything()
{
    // A desktop folder of another name, as a German desktop has it, and a
    // mimeapps.list with the user's own choices.
    const QString desktop = m_home->path() + QStringLiteral("/Schreibtisch");
    QVERIFY(QDir().mkpath(desktop));
    QVERIFY(writeFile(m_home->configHome() + QStringLiteral("/user-dirs.dirs"),
                      "# from xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"));
    const QString mimeapps = m_home->configHome() + QStringLiteral("/mimeapps.list");
    QVERIFY(writeFile(mimeapps,
                      "[Default Applications]\ntext/html=firefox.desktop;\n\n"
                      "[Added Associations]\nimage/png=gimp.desktop;\n"));

    const QString installDir = m_home->path() + QStringLiteral("/Apps/My \"Velmar\" 100%");
    InstallerConfig config;
    QVERIFY(productIn(installDir, &config));
    const QString program = installDir + QStringLiteral("/Velmar.exe");
    QVERIFY(registerInstallation(config));
    InstallerConfig next = config; // the next installer, with its own default folder
    next.installDir = m_home->dataHome() + QStringLiteral("/Velmar");
    QCOMPARE(earlierInstallFolder(next), installDir);

    const QString menuEntry = m_home->dataHome() + QStringLiteral("/applications/Velmar.desktop");
    const QString desktopEntry = desktop + QStringLiteral("/Velmar.desktop");
    const QString autostartEntry
        = m_home->configHome() + QStringLiteral("/autostart/Velmar.desktop");
    const QString handler
        = m_home->dataHome() + QStringLiteral("/applications/korvantvelmar-url-handler.desktop");
    const QStringList entries = { menuEntry, desktopEntry, autostartEntry, handler };
    for (const QString &entry : entries)
        QVERIFY2(QFileInfo::exists(entry), qPrintable(entry));

    // The path is quoted: its quotes escaped (and the escapes doubled as
    // string values want), its percent sign doubled.
    const QString exec = QStringLiteral("Exec=\"%1/Apps/My \\\\\"Velmar\\\\\" 100%%/Velmar.exe\"")
                             .arg(m_home->path());
    const QString launcher = readText(menuEntry);
    QVERIFY2(launcher.contains(exec + QLatin1Char('\n')), qPrintable(launcher));
    QVERIFY(launcher.contains(QStringLiteral("\nPath=%1\n").arg(installDir)));
    QVERIFY(launcher.contains(QStringLiteral("\nIcon=%1\n").arg(program)));
    QVERIFY(
        launcher.contains(QStringLiteral("Name=Velmar \"Pro\" 100% \u00fc\u7ef4 \\\\ $HOME\n")));
    QCOMPARE(readText(desktopEntry), launcher);
    QCOMPARE(readText(autostartEntry), launcher);
    QVERIFY(QFileInfo(desktopEntry).permissions() & QFile::ExeOwner);

    const QString handlerText = readText(handler);
    QVERIFY(handlerText.contains(exec + QStringLiteral(" %u\n")));
    QVERIFY(handlerText.contains(QStringLiteral("MimeType=x-scheme-handler/korvantvelmar;\n")));
    QVERIFY(handlerText.contains(QStringLiteral("NoDisplay=true\n")));
    QVERIFY(handlerText.contains(QStringLiteral("Comment=Velmar links\n")));

    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    for (const QString &entry : entries) {
        const QString errors = desktopFileProblems(entry);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
    }

    const QString list = readText(mimeapps);
    QVERIFY(list.contains(QStringLiteral("text/html=firefox.desktop;\n")));
    QVERIFY(list.contains(QStringLiteral("[Added Associations]\nimage/png=gimp.desktop;\n")));
    QVERIFY(list.contains(
        QStringLiteral("[Default Applications]\ntext/html=firefox.desktop;\n"
                       "x-scheme-handler/korvantvelmar=korvantvelmar-url-handler.desktop;\n")));

    const QString link = m_home->path() + QStringLiteral("/.local/bin/Velmar.exe");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), program);

    const QString recordPath
        = m_home->dataHome() + QStringLiteral("/installer/uninstall/Velmar.ini");
    const QString record = readText(recordPath);
    const QString uninstaller
        = QStringLiteral("\"%1/Apps/My \\\\\"Velmar\\\\\" 100%/uninst.exe\"").arg(m_home->path());
    QCOMPARE(record,
             QStringLiteral("[Uninstall]\n"
                            "DisplayName=Velmar \"Pro\" 100% \u00fc\u7ef4 \\\\ $HOME\n"
                            "UninstallString=%1\n"
                            "DisplayIcon=%1\n"
                            "DisplayVersion=2.1.0.7\n"
                            "HelpLink=https://support.example/velmar\n"
                            "Publisher=Korvant\n"
                            "EstimatedSize=2\n"
                            "NoRepair=1\n"
                            "NoModify=1\n"
                            "InstallLocation=%2\n")
                 .arg(uninstaller, installDir));
    // Without InstallLocation, as older installers wrote the record, the
    // uninstaller's quoted and escaped command names the folder.
    QVERIFY(writeFile(recordPath, record.left(record.indexOf(QStringLiteral("Install"))).toUtf8()));
    QCOMPARE(earlierInstallFolder(next), installDir);
}

void TestFreedesktopRegistration::schemeHandlerIsTheDefaultForXdgMime()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        QSKIP("xdg-mime is not installed (Debian package xdg-utils)");
    QVERIFY(QDir().mkpath(m_home->path() + QStringLiteral("/Desktop")));
    // Another handler of the scheme, the default until now: only the
    // product's own default can win over it.
    QVERIFY(writeFile(m_home->dataHome() + QStringLiteral("/applications/aaa-rival.desktop"),
                      "[Desktop Entry]\nType=Application\nName=Rival\nExec=/bin/true %u\n"
                      "MimeType=x-scheme-handler/korvantvelmar;\n"));
    QVERIFY(
        writeFile(m_home->configHome() + QStringLiteral("/mimeapps.list"),
                  "[Default Applications]\nx-scheme-handler/korvantvelmar=aaa-rival.desktop;\n"));
    InstallerConfig config;
    QVERIFY(productIn(m_home->dataHome() + QStringLiteral("/Velmar"), &config));
    registerInstallation(config);

    // The generic lookup, as on a machine without a desktop environment.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *variable :
         { "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
           "XDG_MENU_PREFIX", "XDG_CONFIG_DIRS" })
        environment.remove(QString::fromLatin1(variable));
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"),
                       m_home->path() + QStringLiteral("/etc-xdg"));
    QProcess query;
    query.setProcessEnvironment(environment);
    query.start(QStringLiteral("xdg-mime"),
                { QStringLiteral("query"), QStringLiteral("default"),
                  QStringLiteral("x-scheme-handler/korvantvelmar") });
    QVERIFY(query.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(query.readAllStandardOutput()).trimmed(),
             QStringLiteral("korvantvelmar-url-handler.desktop"));
}

void TestFreedesktopRegistration::noAutostartUnlessAsked()
{
    QVERIFY(QDir().mkpath(m_home->path() + QStringLiteral("/Desktop")));
    InstallerConfig config;
    QVERIFY(productIn(m_home->dataHome() + QStringLiteral("/Velmar"), &config));
    config.autoStart = false;
    registerInstallation(config);
    QVERIFY(QFileInfo::exists(m_home->dataHome() + QStringLiteral("/applications/Velmar.desktop")));
    QVERIFY(!QFileInfo::exists(m_home->configHome() + QStringLiteral("/autostart")));
}

void TestFreedesktopRegistration::failuresAreLoggedAndTheRestGoesOn()
{
    // No desktop folder (it is not created for the user), a program of the
    // user's own where the link would go, and a scheme that is no scheme.
    const QString ownTool = m_home->path() + QStringLiteral("/.local/bin/Velmar.exe");
    QVERIFY(writeFile(ownTool, "mine"));
    InstallerConfig config;
    QVERIFY(productIn(m_home->dataHome() + QStringLiteral("/Velmar"), &config));
    config.protocol = QStringLiteral("bad scheme");

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("bad scheme.*not a valid URL scheme")));
    QTest::ignoreMessage(
        QtWarningMsg,
        QRegularExpression(QStringLiteral("application path .*/\\.local/bin/Velmar\\.exe")));
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("shortcut .*/Desktop/Velmar\\.desktop")));
    // The menu entry still starts the product.
    QVERIFY(registerInstallation(config));

    QCOMPARE(readText(ownTool), QStringLiteral("mine"));
    QVERIFY(!QFileInfo::exists(m_home->path() + QStringLiteral("/Desktop")));
    QVERIFY(!QFileInfo::exists(m_home->configHome() + QStringLiteral("/mimeapps.list")));
    QVERIFY(QFileInfo::exists(m_home->dataHome() + QStringLiteral("/applications/Velmar.desktop")));
    QVERIFY(QFileInfo::exists(m_home->configHome() + QStringLiteral("/autostart/Velmar.desktop")));
    QVERIFY(
        QFileInfo::exists(m_home->dataHome() + QStringLiteral("/installer/uninstall/Velmar.ini")));
}

void TestFreedesktopRegistration::desktopSetToHomeMeansNoDesktop()
{
    QVERIFY(writeFile(m_home->configHome() + QStringLiteral("/user-dirs.dirs"),
                      "XDG_DESKTOP_DIR=\"$HOME/\"\n"));
    QTest::ignoreMessage(
        QtWarningMsg,
        QRegularExpression(QStringLiteral("no folder for the shortcut Velmar.desktop")));
    InstallerConfig config;
    QVERIFY(productIn(m_home->dataHome() + QStringLiteral("/Velmar"), &config));
    registerInstallation(config);
    QVERIFY(!QFileInfo::exists(m_home->path() + QStringLiteral("/Velmar.desktop")));
    QVERIFY(QFileInfo::exists(m_home->dataHome() + QStringLiteral("/applications/Velmar.desktop")));
}

void TestFreedesktopRegistration::singleOperations()
{
    const QString autostart = m_home->configHome() + QStringLiteral("/autostart");
    QCOMPARE(startupFolder(), autostart);

    // The ending is added once; the folder is made when missing.
    QVERIFY(createStartupShortcut(QStringLiteral("/opt/velmar/Velmar.exe"),
                                  QStringLiteral("Velmar"), QString()));
    QVERIFY(createStartupShortcut(QStringLiteral("/opt/velmar/Velmar.exe"),
                                  QStringLiteral("Other.desktop"), QString()));
    QCOMPARE(QDir(autostart).entryList(QDir::Files),
             QStringList({ "Other.desktop", "Velmar.desktop" }));
    QVERIFY(readText(autostart + QStringLiteral("/Velmar.desktop"))
                .contains(QStringLiteral("Name=Velmar\n")));

    const QString link = m_home->path() + QStringLiteral("/Velmar Link.desktop");
    QVERIFY(createShortcut(link, QStringLiteral("/opt/velmar/Velmar.exe"),
                           QStringLiteral("--open \"a b\"")));
    const QString text = readText(link);
    QVERIFY2(text.contains(QStringLiteral("Exec=/opt/velmar/Velmar.exe --open \"a b\"\n")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Name=Velmar Link\n")));
    QTest::ignoreMessage(
        QtWarningMsg,
        QRegularExpression(QStringLiteral("could not write the shortcut .*/missing/x\\.desktop")));
    QVERIFY(!createShortcut(m_home->path() + QStringLiteral("/missing/x.desktop"),
                            QStringLiteral("/opt/v"), QString()));

    QVERIFY(registerUrlProtocol(QStringLiteral("velmar-test"), QString(),
                                QStringLiteral("/opt/velmar/Velmar.exe")));
    const QString handler = readText(
        m_home->dataHome() + QStringLiteral("/applications/velmar-test-url-handler.desktop"));
    QVERIFY(handler.contains(QStringLiteral("Name=velmar-test\n")));
    QVERIFY(handler.contains(QStringLiteral("Exec=/opt/velmar/Velmar.exe %u\n")));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("not a valid URL scheme")));
    QVERIFY(!registerUrlProtocol(QStringLiteral("a/b"), QString(), QStringLiteral("/opt/v")));
}

QTEST_GUILESS_MAIN(TestFreedesktopRegistration)
#include "tst_freedesktop_registration.moc"
