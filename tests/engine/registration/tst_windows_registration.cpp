// The Windows registration applier against the real registry and shell of
// the system it runs on (Wine in CI): what a machine-wide and a per-user
// installation leave behind, read back through the Windows layer.
#include "config/installer_config.h"
#include "engine/registration/earlier_installation.h"
#include "engine/registration/registration.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell_links.h"
#include "support/windows_traces.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using platform::RegistryRoot;

const QString appPaths
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\");
const QString uninstall
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");

QString readText(RegistryRoot root, const QString &key, const QString &name = QString())
{
    platform::RegistryValue value;
    if (!platform::readRegistryValue(root, key.toStdWString(), name.toStdWString(), &value))
        return QString();
    return QString::fromStdWString(value.text);
}

QString linkTarget(const QString &link, platform::ShellLinkDetails *details = nullptr)
{
    std::wstring target, arguments;
    if (!platform::readShellLink(QDir::toNativeSeparators(link).toStdWString(), &target, &arguments,
                                 details))
        return QString();
    return QDir::fromNativeSeparators(QString::fromStdWString(target));
}

} // namespace

class TestWindowsRegistration : public QObject
{
    Q_OBJECT

private slots:
    void registersEverything_data();
    void registersEverything();
};

void TestWindowsRegistration::registersEverything_data()
{
    QTest::addColumn<bool>("perUser");
    QTest::newRow("machine-wide") << false;
    QTest::newRow("per user") << true;
}

void TestWindowsRegistration::registersEverything()
{
    QFETCH(bool, perUser);
    QTemporaryDir installDir;
    QVERIFY(installDir.isValid());
    InstallerConfig config;
    config.productName = QStringLiteral("OrbelRegistrationTest");
    config.productText = QStringLiteral("Orbel Registration Test");
    config.protocol = QStringLiteral("orbelregistrationtest");
    config.programName = QStringLiteral("Orbel.exe");
    config.installDir = installDir.path();
    config.autoStart = true;
    config.perUserInstall = perUser;
    removeWindowsRegistration(config);

    registerInstallation(config);

    const QString program = QDir(installDir.path()).filePath(config.programName);
    const QString native = QDir::toNativeSeparators(program);
    // Wine lets everyone write machine-wide keys, as an elevated start would.
    const RegistryRoot written = perUser ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
    const RegistryRoot untouched = perUser ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
    const QString command = QStringLiteral("Software\\Classes\\") + config.protocol
        + QStringLiteral("\\shell\\open\\command");
    QCOMPARE(readText(written, command),
             QStringLiteral("\"%1\" \"%2\"").arg(native, QStringLiteral("%1")));
    QCOMPARE(readText(written, appPaths + config.programName), program);
    QVERIFY(readText(written, uninstall + config.productName, QStringLiteral("UninstallString"))
                .contains(QDir::toNativeSeparators(installDir.path())));
    QCOMPARE(readText(written, uninstall + config.productName, QStringLiteral("InstallLocation")),
             QDir::toNativeSeparators(installDir.path()));
    // The next installer, whose default folder is elsewhere, finds it there.
    InstallerConfig next = config;
    next.installDir = QStringLiteral("C:/Program Files/OrbelRegistrationTest");
    QCOMPARE(earlierInstallFolder(next).toLower(), QDir::cleanPath(installDir.path()).toLower());
    QVERIFY(readText(untouched, command).isEmpty());
    QVERIFY(readText(untouched, appPaths + config.programName).isEmpty());

    const QString menu
        = QDir(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))
              .filePath(config.productName + QLatin1Char('/') + config.productText
                        + QStringLiteral(".lnk"));
    const QString desktop = QDir(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))
                                .filePath(config.productText + QStringLiteral(".lnk"));
    const QString startup
        = QDir(startupFolder()).filePath(config.productName + QStringLiteral(".lnk"));
    for (const QString &link : { menu, desktop, startup }) {
        platform::ShellLinkDetails details;
        QCOMPARE(linkTarget(link, &details).toLower(), program.toLower());
        QCOMPARE(QString::fromStdWString(details.workingFolder).toLower(),
                 QDir::toNativeSeparators(installDir.path()).toLower());
        QCOMPARE(QString::fromStdWString(details.iconPath).toLower(), native.toLower());
        QCOMPARE(QString::fromStdWString(details.description), config.productText);
    }

    removeWindowsRegistration(config);
}

QTEST_GUILESS_MAIN(TestWindowsRegistration)
#include "tst_windows_registration.moc"
