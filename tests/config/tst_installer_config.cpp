// The configuration record: defaults, which keys are read and how, the
// default install folder, and the one shared record.
#include "config/install_location.h"
#include "config/installer_config.h"
#include "config/program_files_folder.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

class TestInstallerConfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void noFileGivesTheDefaults();
    void everyKeyIsRead();
    void unusableProductNameInstallsNothing_data();
    void unusableProductNameInstallsNothing();
    void installLocation_data();
    void installLocation();
    void perUserInstallIsRecorded();
    void presentButEmptyKeysEmptyTheirFields();
    void bytesTotal_data();
    void bytesTotal();
    void commas();
    void mirrorsAndPackageChecks_data();
    void mirrorsAndPackageChecks();
    void otherSectionsAreIgnored();
    void byteOrderMarkIsIgnored_data();
    void byteOrderMarkIsIgnored();
    void nonAsciiValuesArriveUnchanged();
    void missingProgramFilesFolderResolvesAgainstTheWorkingFolder();
    void programFilesFolderFollowsXdgDataHome();
    void oneSharedRecord();

private:
    // The path of a settings.ini with content; empty when it cannot be written.
    QString writeIni(const QByteArray &content);

    QScopedPointer<QTemporaryDir> m_dir;
    const QString m_programFiles = QStringLiteral("/opt/Program Files (x86)");
};

void TestInstallerConfig::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QString TestInstallerConfig::writeIni(const QByteArray &content)
{
    const QString path = m_dir->filePath(QStringLiteral("settings.ini"));
    return TestFiles::writeFile(path, content) ? path : QString();
}

void TestInstallerConfig::noFileGivesTheDefaults()
{
    const InstallerConfig config
        = readInstallerConfig(m_dir->filePath(QStringLiteral("settings.ini")), m_programFiles);
    QCOMPARE(config.productName, QStringLiteral("Velmar"));
    QCOMPARE(config.productText, QString());
    QCOMPARE(config.productVersion, QStringLiteral("1.0.0.0"));
    QCOMPARE(config.publisher, QString());
    QCOMPARE(config.protocol, QStringLiteral("korvantvelmar"));
    QCOMPARE(config.protocolDescription, QString());
    QCOMPARE(config.programName, QStringLiteral("Velmar.exe"));
    QCOMPARE(config.userProtocolUrl, QString());
    QCOMPARE(config.supportUrl, QString());
    QCOMPARE(config.packageUrl, QString());
    QCOMPARE(config.bytesTotal, quint64(0));
    QCOMPARE(config.installDir, QStringLiteral("/opt/Program Files (x86)/Velmar"));
    QCOMPARE(config.autoStart, false);
    QCOMPARE(config.installSucceeded, false);
    // Reading never creates the file.
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("settings.ini"))));
}

void TestInstallerConfig::everyKeyIsRead()
{
    const QString path = writeIni("[General]\n"
                                  "productName=Orbel\n"
                                  "productText=Orbel Studio\n"
                                  "productVersion=2.3.4.5\n"
                                  "publisher=Orbel Ltd\n"
                                  "protocol=orbel\n"
                                  "protocolDescription=Orbel link\n"
                                  "programName=Orbel.exe\n"
                                  "userProtocolUrl=https://example.test/agreement\n"
                                  "supportUrl=https://example.test/support\n"
                                  "packageUrl=https://example.test/orbel.zip\n"
                                  "bytesTotal=123456\n");
    const InstallerConfig config = readInstallerConfig(path, m_programFiles);
    QCOMPARE(config.productName, QStringLiteral("Orbel"));
    QCOMPARE(config.productText, QStringLiteral("Orbel Studio"));
    QCOMPARE(config.productVersion, QStringLiteral("2.3.4.5"));
    QCOMPARE(config.publisher, QStringLiteral("Orbel Ltd"));
    QCOMPARE(config.protocol, QStringLiteral("orbel"));
    QCOMPARE(config.protocolDescription, QStringLiteral("Orbel link"));
    QCOMPARE(config.programName, QStringLiteral("Orbel.exe"));
    QCOMPARE(config.userProtocolUrl, QStringLiteral("https://example.test/agreement"));
    QCOMPARE(config.supportUrl, QStringLiteral("https://example.test/support"));
    QCOMPARE(config.packageUrl, QStringLiteral("https://example.test/orbel.zip"));
    QCOMPARE(config.bytesTotal, quint64(123456));
    // The install folder follows the name read from the file.
    QCOMPARE(config.installDir, QStringLiteral("/opt/Program Files (x86)/Orbel"));
}

void TestInstallerConfig::unusableProductNameInstallsNothing_data()
{
    // An empty name would install into the Program Files folder itself,
    // ".." into its parent; another product's name into that product.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("productName"); // empty: unusable
    QTest::newRow("empty") << QByteArray("productName=") << "";
    QTest::newRow("dot") << QByteArray("productName=.") << "";
    QTest::newRow("dot dot") << QByteArray("productName=..") << "";
    QTest::newRow("path") << QByteArray("productName=Orbel/bin") << "";
    QTest::newRow("backslash path") << QByteArray("productName=..\\\\Orbel") << "";
    QTest::newRow("character Windows refuses") << QByteArray("productName=Orbel?") << "";
    QTest::newRow("trailing dot") << QByteArray("productName=Orbel.") << "";
    QTest::newRow("device name") << QByteArray("productName=con") << "";
    QTest::newRow("too long") << QByteArray("productName=") + QByteArray(256, 'o') << "";
    QTest::newRow("spaces and dots inside")
        << QByteArray("productName=Orbel Pro 2.0") << "Orbel Pro 2.0";
}

void TestInstallerConfig::unusableProductNameInstallsNothing()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, productName);
    const bool usable = !productName.isEmpty();
    if (!usable)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("productName")));
    const InstallerConfig config = readInstallerConfig(writeIni(line + '\n'), m_programFiles);
    QCOMPARE(config.hasUsableProductName(), usable);
    QCOMPARE(config.installDir,
             usable ? m_programFiles + QLatin1Char('/') + productName : QString());
}

void TestInstallerConfig::installLocation_data()
{
    QTest::addColumn<QString>("programFiles");
    QTest::addColumn<QString>("userPrograms");
    QTest::addColumn<bool>("canCreate");
    QTest::addColumn<QString>("base");
    QTest::addColumn<bool>("perUser");
    const QString pf = QStringLiteral("C:/Program Files");
    const QString user = QStringLiteral("C:/Users/ann/AppData/Local/Programs");
    QTest::newRow("elevated") << pf << user << true << pf << false;
    QTest::newRow("refused") << pf << user << false << user << true;
    QTest::newRow("refused, no user folder") << pf << QString() << false << pf << false;
    QTest::newRow("no Program Files") << QString() << user << true << user << true;
    QTest::newRow("neither") << QString() << QString() << false << QString() << false;
}

void TestInstallerConfig::installLocation()
{
    QFETCH(QString, programFiles);
    QFETCH(QString, userPrograms);
    QFETCH(bool, canCreate);
    QFETCH(QString, base);
    QFETCH(bool, perUser);
    const InstallLocation location = chooseInstallLocation(programFiles, userPrograms, canCreate);
    QCOMPARE(location.baseFolder, base);
    QCOMPARE(location.perUser, perUser);
}

void TestInstallerConfig::perUserInstallIsRecorded()
{
    const QString ini = writeIni("productName=Orbel\n");
    QVERIFY(!readInstallerConfig(ini, m_programFiles).perUserInstall);
    const InstallerConfig config = readInstallerConfig(ini, m_programFiles, true);
    QVERIFY(config.perUserInstall);
    QCOMPARE(config.installDir, QDir(m_programFiles).absoluteFilePath(QStringLiteral("Orbel")));
#ifndef Q_OS_WIN
    // Linux installs into the user's own data folder anyway.
    QCOMPARE(defaultInstallLocation().perUser, false);
#endif
}

void TestInstallerConfig::presentButEmptyKeysEmptyTheirFields()
{
    const InstallerConfig config = readInstallerConfig(
        writeIni("productVersion=\nprotocol=\nprogramName=\n"), m_programFiles);
    QCOMPARE(config.productVersion, QString());
    QCOMPARE(config.protocol, QString());
    QCOMPARE(config.programName, QString());
    QCOMPARE(config.productName, QStringLiteral("Velmar"));
}

void TestInstallerConfig::bytesTotal_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<quint64>("bytes");
    QTest::newRow("missing") << QByteArray() << quint64(0);
    QTest::newRow("not a number") << QByteArray("bytesTotal=large") << quint64(0);
    QTest::newRow("trailing letters") << QByteArray("bytesTotal=12MB") << quint64(0);
    QTest::newRow("negative") << QByteArray("bytesTotal=-1") << quint64(0);
    QTest::newRow("empty") << QByteArray("bytesTotal=") << quint64(0);
    QTest::newRow("a list") << QByteArray("bytesTotal=1,2") << quint64(0);
    QTest::newRow("more than 32 bits")
        << QByteArray("bytesTotal=12345678901") << quint64(12345678901ULL);
    QTest::newRow("largest") << QByteArray("bytesTotal=18446744073709551615")
                             << quint64(18446744073709551615ULL);
    QTest::newRow("overflow") << QByteArray("bytesTotal=18446744073709551616") << quint64(0);
}

void TestInstallerConfig::bytesTotal()
{
    QFETCH(QByteArray, line);
    QFETCH(quint64, bytes);
    const InstallerConfig config = readInstallerConfig(writeIni(line + '\n'), m_programFiles);
    QCOMPARE(config.bytesTotal, bytes);
}

void TestInstallerConfig::commas()
{
    InstallerConfig config = readInstallerConfig(
        writeIni("productText=Velmar, the player\npublisher=\"Velmar, Inc.\"\n"), m_programFiles);
    // Unquoted, the value is a list, which has no text form.
    QCOMPARE(config.productText, QString());
    QCOMPARE(config.publisher, QStringLiteral("Velmar, Inc."));
}

void TestInstallerConfig::mirrorsAndPackageChecks_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("packageUrl");
    QTest::addColumn<QString>("packagePublicKey");

    QTest::newRow("one URL") << QByteArray("packageUrl=http://a.test/p.zip")
                             << "http://a.test/p.zip"
                             << "";
    // In quotes the value arrives whole: one URL, its own comma and all.
    QTest::newRow("one URL with a comma, in quotes")
        << QByteArray("packageUrl=\"http://a.test/p.zip?sig=a,b\"")
        << "\"http://a.test/p.zip?sig=a,b\""
        << "";
    // Without quotes the INI format reads a list: the same mirrors.
    QTest::newRow("mirrors as a list")
        << QByteArray("packageUrl=http://a.test/p.zip, http://b.test/p.zip")
        << "http://a.test/p.zip,http://b.test/p.zip"
        << "";
    QTest::newRow("keys as a list") << QByteArray("packagePublicKey=RWQone,RWQtwo") << ""
                                    << "RWQone,RWQtwo";
}

void TestInstallerConfig::mirrorsAndPackageChecks()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, packageUrl);
    QFETCH(QString, packagePublicKey);

    const InstallerConfig config = readInstallerConfig(
        writeIni(line + "\npackageSha256=" + QByteArray(64, 'e') + '\n'), m_programFiles);
    QCOMPARE(config.packageUrl, packageUrl);
    QCOMPARE(config.packagePublicKey, packagePublicKey);
    QCOMPARE(config.packageSha256, QString(64, QLatin1Char('e')));
}

void TestInstallerConfig::otherSectionsAreIgnored()
{
    const InstallerConfig config
        = readInstallerConfig(writeIni("productText=Top level\n"
                                       "[Product]\n"
                                       "productName=Wrong\n"
                                       "packageUrl=http://wrong.test/p.zip\n"
                                       "bytesTotal=99\n"
                                       "[General]\n"
                                       "publisher=General again\n"),
                              m_programFiles);
    QCOMPARE(config.productText, QStringLiteral("Top level"));
    QCOMPARE(config.publisher, QStringLiteral("General again"));
    QCOMPARE(config.productName, QStringLiteral("Velmar"));
    QCOMPARE(config.packageUrl, QString());
    QCOMPARE(config.bytesTotal, quint64(0));
}

void TestInstallerConfig::byteOrderMarkIsIgnored_data()
{
    // As Notepad saves UTF-8, with and without the section line.
    QTest::addColumn<QByteArray>("content");
    const QByteArray url("packageUrl=http://a.test/p.zip\n");
    const QByteArray text("productText=\"Velmar, \xe6\x92\xad\"\n");
    QTest::newRow("packageUrl first") << "\xEF\xBB\xBF" + url + text;
    QTest::newRow("productText first") << "\xEF\xBB\xBF" + text + url;
    QTest::newRow("[General], packageUrl first") << "\xEF\xBB\xBF[General]\r\n" + url + text;
    QTest::newRow("[General], productText first") << "\xEF\xBB\xBF[General]\n" + text + url;
}

void TestInstallerConfig::byteOrderMarkIsIgnored()
{
    QFETCH(QByteArray, content);
    const InstallerConfig config = readInstallerConfig(writeIni(content), m_programFiles);
    QCOMPARE(config.packageUrl, QStringLiteral("http://a.test/p.zip"));
    QCOMPARE(config.productText, QStringLiteral("Velmar, \u64ad"));
}

void TestInstallerConfig::nonAsciiValuesArriveUnchanged()
{
    const InstallerConfig config
        = readInstallerConfig(writeIni("productName=\xe7\xbb\xb4\xe5\xb0\x94\xe9\xa9\xac\n"
                                       "productText=Velmar \xe6\x92\xad\xe6\x94\xbe\xe5\x99\xa8\n"
                                       "publisher=M\xc3\xbcller & S\xc3\xb6hne\n"),
                              m_programFiles);
    QCOMPARE(config.productName, QStringLiteral("\u7ef4\u5c14\u9a6c"));
    QCOMPARE(config.productText, QStringLiteral("Velmar \u64ad\u653e\u5668"));
    QCOMPARE(config.publisher, QStringLiteral("M\u00fcller & S\u00f6hne"));
    QCOMPARE(config.installDir, m_programFiles + QStringLiteral("/\u7ef4\u5c14\u9a6c"));
}

void TestInstallerConfig::missingProgramFilesFolderResolvesAgainstTheWorkingFolder()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    const InstallerConfig config = readInstallerConfig(writeIni(""), QString());
    QDir::setCurrent(previous);
    QCOMPARE(config.installDir, QDir(m_dir->path()).absoluteFilePath(QStringLiteral("Velmar")));
    QVERIFY(QDir::isAbsolutePath(config.installDir));
}

void TestInstallerConfig::programFilesFolderFollowsXdgDataHome()
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");

    qputenv("XDG_DATA_HOME", "/srv/data home");
    QCOMPARE(programFilesFolder(), QStringLiteral("/srv/data home"));
    // Relative values do not count under the XDG rules.
    qputenv("XDG_DATA_HOME", "relative/data");
    qputenv("HOME", "/home/tester");
    QCOMPARE(programFilesFolder(), QStringLiteral("/home/tester/.local/share"));
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(programFilesFolder(), QStringLiteral("/home/tester/.local/share"));
    qunsetenv("HOME");
    QCOMPARE(programFilesFolder(), QString());

    qputenv("HOME", home);
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
}

void TestInstallerConfig::oneSharedRecord()
{
    // The test program's folder holds no settings.ini: defaults below the
    // data folder this test chooses.
    QVERIFY(
        !QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/settings.ini")));
    qputenv("XDG_DATA_HOME", m_dir->path().toUtf8());

    std::vector<InstallerConfig *> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = installerConfig(); });
    for (std::thread &thread : threads)
        thread.join();

    InstallerConfig *config = installerConfig();
    QVERIFY(config);
    for (InstallerConfig *each : seen)
        QCOMPARE(each, config);
    QCOMPARE(config->installDir, m_dir->path() + QStringLiteral("/Velmar"));
    config->autoStart = true;
    QCOMPARE(installerConfig()->autoStart, true);
}

QTEST_GUILESS_MAIN(TestInstallerConfig)
#include "tst_installer_config.moc"
