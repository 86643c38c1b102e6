// The registration plan: which registry values, in which order and with which
// types, and which shortcuts an installation gets.
#include "config/installer_config.h"
#include "engine/registration/registration_plan.h"

#include <QtTest>

namespace {

RegistryValue value(RegistryRoot root, const QString &key, const QString &name, const QString &text)
{
    RegistryValue v;
    v.root = root;
    v.key = key;
    v.name = name;
    v.type = RegistryType::String;
    v.text = text;
    return v;
}

RegistryValue dword(const QString &key, const QString &name, quint64 number)
{
    RegistryValue v;
    v.root = RegistryRoot::LocalMachine;
    v.key = key;
    v.name = name;
    v.type = RegistryType::DWord;
    v.number = number;
    return v;
}

InstallerConfig exampleConfig()
{
    InstallerConfig config;
    config.productName = QStringLiteral("Velmar");
    config.productText = QStringLiteral("Velmar Studio");
    config.productVersion = QStringLiteral("2.1.0.7");
    config.publisher = QStringLiteral("Korvant");
    config.protocol = QStringLiteral("korvantvelmar");
    config.protocolDescription = QStringLiteral("D");
    config.programName = QStringLiteral("Velmar.exe");
    config.supportUrl = QStringLiteral("https://support.example/velmar");
    config.installDir = QStringLiteral("C:/P");
    config.bytesTotal = 5000;
    return config;
}

QString describe(const RegistryValue &v)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(int(v.root))
        .arg(v.key, v.name)
        .arg(int(v.type))
        .arg(v.text)
        .arg(v.number);
}

} // namespace

class TestRegistrationPlan : public QObject
{
    Q_OBJECT

private slots:
    void exampleMatchesTheRegistryTable();
    void perUserCopiesUseTheCurrentUsersKeys();
    void perUserInstallWritesOnlyTheCurrentUsersKeys();
    void windowsShortcuts();
    void shortcutAndEntryNames_data();
    void shortcutAndEntryNames();
    void estimatedSizeIsKibRoundedUp_data();
    void estimatedSizeIsKibRoundedUp();
    void unsafeNamesAreNotRegistered();
    void urlSchemes_data();
    void urlSchemes();
    void freedesktopPlan();
    void desktopEntryIds();
};

void TestRegistrationPlan::exampleMatchesTheRegistryTable()
{
    const RegistrationPlan plan = buildRegistrationPlan(exampleConfig(), TargetSystem::Windows);
    const QString appPaths
        = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Velmar.exe");
    const QString uninstall
        = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmar");
    const QString quotedUninstaller = QStringLiteral("\"C:\\P\\uninst.exe\"");
    const RegistryRoot hkcr = RegistryRoot::ClassesRoot;
    const RegistryRoot hklm = RegistryRoot::LocalMachine;

    const QVector<RegistryValue> expected = {
        value(hkcr, QStringLiteral("korvantvelmar"), QString(), QStringLiteral("D")),
        value(hkcr, QStringLiteral("korvantvelmar"), QStringLiteral("URL Protocol"), QString()),
        value(hkcr, QStringLiteral("korvantvelmar\\shell"), QString(), QStringLiteral("open")),
        value(hkcr, QStringLiteral("korvantvelmar\\shell\\open\\command"), QString(),
              QStringLiteral("\"C:\\P\\Velmar.exe\" \"%1\"")),
        value(hklm, appPaths, QString(), QStringLiteral("C:/P/Velmar.exe")),
        value(hklm, uninstall, QStringLiteral("DisplayName"), QStringLiteral("Velmar Studio")),
        value(hklm, uninstall, QStringLiteral("UninstallString"), quotedUninstaller),
        value(hklm, uninstall, QStringLiteral("DisplayIcon"), quotedUninstaller),
        value(hklm, uninstall, QStringLiteral("DisplayVersion"), QStringLiteral("2.1.0.7")),
        value(hklm, uninstall, QStringLiteral("HelpLink"),
              QStringLiteral("https://support.example/velmar")),
        value(hklm, uninstall, QStringLiteral("Publisher"), QStringLiteral("Korvant")),
        dword(uninstall, QStringLiteral("EstimatedSize"), 5), // 5000 bytes, rounded up to KiB
        dword(uninstall, QStringLiteral("NoRepair"), 1),
        dword(uninstall, QStringLiteral("NoModify"), 1),
        value(hklm, uninstall, QStringLiteral("InstallLocation"), QStringLiteral("C:\\P")),
    };
    const QVector<RegistryValue> actual = plan.registryValues();
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(describe(actual.at(i)), describe(expected.at(i)));
    QVERIFY(plan.problems.isEmpty());
}

void TestRegistrationPlan::perUserCopiesUseTheCurrentUsersKeys()
{
    const RegistrationPlan plan = buildRegistrationPlan(exampleConfig(), TargetSystem::Windows);
    const RegistryEntry &protocol = plan.urlProtocol.registry;
    QCOMPARE(protocol.perUser.size(), protocol.machineWide.size());
    QCOMPARE(protocol.perUser.at(3).key,
             QStringLiteral("Software\\Classes\\korvantvelmar\\shell\\open\\command"));
    QCOMPARE(plan.applicationPath.registry.perUser.at(0).key,
             QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Velmar.exe"));
    QCOMPARE(plan.uninstall.registry.perUser.size(), 10);
    const QVector<RegistryEntry> entries
        = { protocol, plan.applicationPath.registry, plan.uninstall.registry };
    for (const RegistryEntry &entry : entries) {
        for (int i = 0; i < entry.perUser.size(); ++i) {
            const RegistryValue &user = entry.perUser.at(i);
            const RegistryValue &machine = entry.machineWide.at(i);
            QCOMPARE(int(user.root), int(RegistryRoot::CurrentUser));
            QVERIFY(user.key.endsWith(machine.key));
            QCOMPARE(user.name, machine.name);
            QCOMPARE(int(user.type), int(machine.type));
            QCOMPARE(user.text, machine.text);
            QCOMPARE(user.number, machine.number);
        }
    }
}

void TestRegistrationPlan::perUserInstallWritesOnlyTheCurrentUsersKeys()
{
    InstallerConfig config = exampleConfig();
    const RegistrationPlan elevated = buildRegistrationPlan(config, TargetSystem::Windows);
    config.perUserInstall = true;
    const RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Windows);
    const QVector<QPair<RegistryEntry, RegistryEntry>> entries = {
        { plan.urlProtocol.registry, elevated.urlProtocol.registry },
        { plan.applicationPath.registry, elevated.applicationPath.registry },
        { plan.uninstall.registry, elevated.uninstall.registry },
    };
    for (const auto &entry : entries) {
        // The user's keys are written first and alone: nothing to fall back on.
        QVERIFY(entry.first.perUser.isEmpty());
        QVERIFY(entry.first.machineWide == entry.second.perUser);
    }
    for (const RegistryValue &value : plan.registryValues())
        QCOMPARE(int(value.root), int(RegistryRoot::CurrentUser));
    QCOMPARE(plan.shortcuts.size(), elevated.shortcuts.size());
}

void TestRegistrationPlan::windowsShortcuts()
{
    InstallerConfig config = exampleConfig();
    RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Windows);
    QCOMPARE(plan.shortcuts.size(), 2);
    const Shortcut &menu = plan.shortcuts.at(0);
    QCOMPARE(int(menu.place), int(ShortcutPlace::StartMenu));
    // The link goes into the folder that is ensured for it.
    QCOMPARE(menu.subfolder, QStringLiteral("Velmar"));
    QCOMPARE(menu.fileName, QStringLiteral("Velmar Studio.lnk"));
    const Shortcut &desktop = plan.shortcuts.at(1);
    QCOMPARE(int(desktop.place), int(ShortcutPlace::Desktop));
    QVERIFY(desktop.subfolder.isEmpty());
    QCOMPARE(desktop.fileName, QStringLiteral("Velmar Studio.lnk"));
    for (const Shortcut &shortcut : plan.shortcuts) {
        QCOMPARE(shortcut.target, QStringLiteral("C:/P/Velmar.exe"));
        QVERIFY(shortcut.arguments.isEmpty());
        QCOMPARE(shortcut.workingFolder, QStringLiteral("C:/P"));
        QCOMPARE(shortcut.iconPath, shortcut.target);
        QCOMPARE(shortcut.description, QStringLiteral("Velmar Studio"));
    }

    config.autoStart = true;
    plan = buildRegistrationPlan(config, TargetSystem::Windows);
    QCOMPARE(plan.shortcuts.size(), 3);
    QCOMPARE(int(plan.shortcuts.at(2).place), int(ShortcutPlace::Startup));
    QCOMPARE(plan.shortcuts.at(2).fileName, QStringLiteral("Velmar.lnk"));
    QCOMPARE(plan.shortcuts.at(2).target, QStringLiteral("C:/P/Velmar.exe"));
}

void TestRegistrationPlan::shortcutAndEntryNames_data()
{
    // No nameless link or entry (Windows hides an entry without a name), and
    // no link name Windows refuses or takes for a device.
    QTest::addColumn<QStringList>("names"); // productText, link file, DisplayName
    QTest::newRow("empty") << QStringList { "", "Velmar.lnk", "Velmar" };
    QTest::newRow("device name") << QStringList { "nul.txt", "nul_.txt.lnk", "nul.txt" };
    QTest::newRow("quotes, trailing dot") << QStringList { "\"V\".", "_V_.lnk", "\"V\"." };
    QTest::newRow("nothing usable left") << QStringList { "...", "Velmar.lnk", "..." };
    const QString longText(300, QLatin1Char('v'));
    QTest::newRow("room for the ending")
        << QStringList { longText, longText.left(251) + ".lnk", longText };
}

void TestRegistrationPlan::shortcutAndEntryNames()
{
    QFETCH(QStringList, names);
    InstallerConfig config = exampleConfig();
    config.productText = names.at(0);
    const RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Windows);
    QCOMPARE(plan.shortcuts.at(0).fileName, names.at(1));
    QCOMPARE(plan.shortcuts.at(1).fileName, names.at(1));
    QCOMPARE(plan.uninstall.registry.machineWide.at(0).text, names.at(2)); // DisplayName
}

void TestRegistrationPlan::estimatedSizeIsKibRoundedUp_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<quint64>("kib");
    QTest::newRow("nothing") << quint64(0) << quint64(0);
    QTest::newRow("one byte") << quint64(1) << quint64(1);
    QTest::newRow("one KiB") << quint64(1024) << quint64(1);
    QTest::newRow("a byte over") << quint64(1025) << quint64(2);
    QTest::newRow("largest DWORD") << quint64(0xFFFFFFFFull) * 1024 << quint64(0xFFFFFFFFull);
    QTest::newRow("beyond DWORD") << quint64(0xFFFFFFFFull) * 1024 + 1 << quint64(0xFFFFFFFFull);
    QTest::newRow("largest size") << ~quint64(0) << quint64(0xFFFFFFFFull);
}

void TestRegistrationPlan::estimatedSizeIsKibRoundedUp()
{
    QFETCH(quint64, bytes);
    QFETCH(quint64, kib);
    InstallerConfig config = exampleConfig();
    config.bytesTotal = bytes;
    const RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Windows);
    const RegistryValue &size = plan.uninstall.registry.machineWide.at(6);
    QCOMPARE(size.name, QStringLiteral("EstimatedSize"));
    QCOMPARE(int(size.type), int(RegistryType::DWord));
    QCOMPARE(size.number, kib);
}

void TestRegistrationPlan::unsafeNamesAreNotRegistered()
{
    InstallerConfig config = exampleConfig();
    // A scheme that would write the command of every .exe file.
    config.protocol = QStringLiteral("exefile\\shell\\open\\command");
    config.programName = QStringLiteral("..\\Velmar.exe");
    config.productName = QString();
    config.productText = QStringLiteral("Velmar: A/B\\C*?");
    const RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Windows);
    QVERIFY(plan.urlProtocol.registry.isEmpty());
    QVERIFY(plan.applicationPath.registry.isEmpty());
    QVERIFY(plan.uninstall.registry.isEmpty());
    QVERIFY(plan.registryValues().isEmpty());
    QCOMPARE(plan.problems.size(), 3);
    QVERIFY(plan.problems.at(0).contains(config.protocol));
    // Link names stay inside their folder.
    QCOMPARE(plan.shortcuts.at(1).fileName, QStringLiteral("Velmar_ A_B_C__.lnk"));
}

void TestRegistrationPlan::urlSchemes_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QStringLiteral("korvantvelmar") << true;
    QTest::newRow("with + - .") << QStringLiteral("web+velmar-2.x") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("leading digit") << QStringLiteral("1velmar") << false;
    QTest::newRow("space") << QStringLiteral("velmar x") << false;
    QTest::newRow("backslash") << QStringLiteral("a\\b") << false;
    QTest::newRow("non-ASCII") << QStringLiteral("v\u00e9lmar") << false;
}

void TestRegistrationPlan::urlSchemes()
{
    QFETCH(QString, scheme);
    QFETCH(bool, valid);
    QCOMPARE(isValidUrlScheme(scheme), valid);
    const UrlProtocolRegistration protocol = urlProtocolRegistration(
        scheme, QStringLiteral("D"), QStringLiteral("C:\\P\\V.exe"), QStringLiteral("V"));
    QCOMPARE(protocol.registry.machineWide.size(), valid ? 4 : 0);
}

void TestRegistrationPlan::freedesktopPlan()
{
#ifdef Q_OS_WIN
    QSKIP("the freedesktop plan names Linux paths, which Windows resolves on a drive");
#else
    InstallerConfig config = exampleConfig();
    config.installDir = QStringLiteral("/home/u/My \"Apps\"/$Velmar");
    config.autoStart = true;
    const RegistrationPlan plan = buildRegistrationPlan(config, TargetSystem::Freedesktop);
    QCOMPARE(plan.executablePath, QStringLiteral("/home/u/My \"Apps\"/$Velmar/Velmar.exe"));
    QCOMPARE(plan.nativeExecutablePath, plan.executablePath);
    // Quoted for a shell: the quotes and the dollar keep their letters.
    QCOMPARE(plan.uninstallCommand,
             QStringLiteral("\"/home/u/My \\\"Apps\\\"/\\$Velmar/uninst.exe\""));
    QCOMPARE(plan.urlProtocol.handlerFileName, QStringLiteral("korvantvelmar-url-handler.desktop"));
    QCOMPARE(plan.urlProtocol.displayName, QStringLiteral("Velmar Studio"));
    QCOMPARE(plan.uninstall.recordFileName, QStringLiteral("Velmar.ini"));
    QCOMPARE(plan.shortcuts.size(), 3);
    for (const Shortcut &shortcut : plan.shortcuts) {
        // One desktop entry per place, named after the product name.
        QCOMPARE(shortcut.fileName, QStringLiteral("Velmar.desktop"));
        QVERIFY(shortcut.subfolder.isEmpty());
        QCOMPARE(shortcut.displayName, QStringLiteral("Velmar Studio"));
        QCOMPARE(shortcut.workingFolder, QStringLiteral("/home/u/My \"Apps\"/$Velmar"));
        QCOMPARE(shortcut.iconPath, plan.executablePath);
    }
    QCOMPARE(int(plan.shortcuts.at(2).place), int(ShortcutPlace::Startup));

    config.productText.clear();
    QCOMPARE(buildRegistrationPlan(config, TargetSystem::Freedesktop).shortcuts.at(0).displayName,
             QStringLiteral("Velmar"));
#endif
}

void TestRegistrationPlan::desktopEntryIds()
{
    QCOMPARE(desktopEntryId(QStringLiteral("Velmar_2-x")), QStringLiteral("Velmar_2-x"));
    QCOMPARE(desktopEntryId(QStringLiteral("My App")), QStringLiteral("My_20App"));
    QCOMPARE(desktopEntryId(QStringLiteral("../x")), QStringLiteral("_2E_2E_2Fx"));
    QCOMPARE(desktopEntryId(QStringLiteral("\u7ef4\u5c14")), QStringLiteral("_7EF4_5C14"));
    QCOMPARE(desktopEntryId(QString()), QStringLiteral("product"));
}

QTEST_GUILESS_MAIN(TestRegistrationPlan)
#include "tst_registration_plan.moc"
