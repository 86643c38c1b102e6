// The road of one installation without a widget: the engine's road object
// downloads from a local server, places, registers and cleans up on its
// own, and a failed run takes away what it made but keeps its log while it
// lasts.
#include "engine/install_error.h"
#include "engine/install_run.h"
#include "engine/registration/earlier_installation.h"
#include "support/http_test_server.h"
#include "support/minisign_tool.h"
#include "support/temporary_folder_variable.h"
#include "support/temporary_home.h"
#include "support/test_files.h"
#include "support/zip_builder.h"

#include <QtTest>

#include <functional>

class TestInstallRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void installsWithoutWidgets();
    void failedRunTakesAwayWhatItMade();
    void olderSignedPackageIsNotReplayed();
    void namesThePackageAfterItsPathOnly();
    void logNeverReplacesAPlacedFile();

private:
    // Runs config to its end; the stages it went through come back in stages.
    // atEnd runs after the run's end, before the run object goes.
    int run(const InstallerConfig &config, QList<InstallRun::Stage> *stages,
            QString *logPath = nullptr, QString *message = nullptr,
            const std::function<void()> &atEnd = {});
    QStringList leftInTemp() const;

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<QTemporaryDir> m_temp;
    HttpTestServer m_server;
    InstallerConfig m_config;
};

void TestInstallRun::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid() && m_temp->isValid());
    qputenv(temporaryFolderVariable(), QFile::encodeName(m_temp->path()));
    QVERIFY(m_server.listen());

    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program", TestFiles::executable());
    zip.addFile(QStringLiteral("uninst.exe"), "uninstaller", TestFiles::executable());
    zip.addFile(QStringLiteral("data/levels.dat"), QByteArray(300000, 'v'));
    const QString zipPath = m_home->path() + QStringLiteral("/velmar.zip");
    QVERIFY(zip.write(zipPath));
    m_server.serveFile(QStringLiteral("/velmar.zip"), zipPath);

    m_config = InstallerConfig();
    m_config.programName = QStringLiteral("Velmar");
    m_config.packageUrl = m_server.url(QStringLiteral("/velmar.zip")).toString();
    m_config.installDir = m_home->path() + QStringLiteral("/Programs/Velmar");
    m_config.bytesTotal = zip.contentSize();
}

void TestInstallRun::cleanup()
{
    qunsetenv(temporaryFolderVariable());
    m_temp.reset();
    m_home.reset();
}

int TestInstallRun::run(const InstallerConfig &config, QList<InstallRun::Stage> *stages,
                        QString *logPath, QString *message, const std::function<void()> &atEnd)
{
    InstallRun run(config);
    run.setJournalFolder(m_home->path() + QStringLiteral("/journals"));
    double fraction[2] = { 0, 0 };
    connect(&run, &InstallRun::stageChanged, this,
            [stages](InstallRun::Stage stage) { stages->append(stage); });
    connect(&run, &InstallRun::progress, this,
            [&fraction](InstallRun::Stage stage, double value, const QString &) {
                double &last = fraction[stage == InstallRun::Stage::Unpacking ? 1 : 0];
                if (value < last)
                    qWarning("progress went back from %f to %f", last, value);
                last = std::max(last, value);
            });
    int result = -1;
    connect(&run, &InstallRun::finished, this, [&result, message](int error, const QString &text) {
        result = error;
        if (message)
            *message = text;
    });
    run.start();
    if (!QTest::qWaitFor([&result] { return result != -1; }, 120000))
        qWarning("the run did not end within two minutes; stages seen: %d", int(stages->size()));
    if (result == NoError && fraction[1] < 1.0)
        qWarning("unpacking ended at %f of the package", fraction[1]);
    if (logPath)
        *logPath = run.logPath();
    if (atEnd)
        atEnd();
    return result;
}

QStringList TestInstallRun::leftInTemp() const
{
    return QDir(m_temp->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestInstallRun::installsWithoutWidgets()
{
    QList<InstallRun::Stage> stages;
    QString logPath;
    QCOMPARE(run(m_config, &stages, &logPath), int(NoError));

    using Stage = InstallRun::Stage;
    QCOMPARE(stages, (QList<Stage> { Stage::Downloading, Stage::Unpacking, Stage::Finished }));
    QCOMPARE(TestFiles::readFile(m_config.installDir + QStringLiteral("/Velmar")),
             QByteArray("program"));
    QCOMPARE(QFileInfo(m_config.installDir + QStringLiteral("/data/levels.dat")).size(), 300000);
    QVERIFY(holdsEarlierInstallation(m_config, m_config.installDir));
    // The log landed beside the product and tells the story to its end.
    QCOMPARE(QFileInfo(logPath).absolutePath(), QFileInfo(m_config.installDir).absoluteFilePath());
    QVERIFY(TestFiles::readFile(logPath).contains("Installation succeeded"));
    // Nothing of the run is left: no run folder, no journal.
    QCOMPARE(leftInTemp(), QStringList());
    QCOMPARE(QDir(m_home->path() + QStringLiteral("/journals")).entryList(QDir::Files),
             QStringList());
}

void TestInstallRun::failedRunTakesAwayWhatItMade()
{
    // Refused once the install folder exists: the package lacks its uninstaller.
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program", TestFiles::executable());
    QVERIFY(zip.write(m_home->path() + QStringLiteral("/incomplete.zip")));
    m_server.serveFile(QStringLiteral("/incomplete.zip"),
                       m_home->path() + QStringLiteral("/incomplete.zip"));
    m_config.packageUrl = m_server.url(QStringLiteral("/incomplete.zip")).toString();
    QList<InstallRun::Stage> stages;
    QString logPath;
    // While the run lasts, only its folder with the log stays, for the user
    // to hand on; the folder goes with the run, as the installer ends.
    const auto whileItLasts = [&] {
        QCOMPARE(leftInTemp().size(), 1);
        QCOMPARE(QFileInfo(logPath).absolutePath(),
                 QDir(m_temp->path()).absoluteFilePath(leftInTemp().value(0)));
        QCOMPARE(QDir(QFileInfo(logPath).absolutePath()).entryList(QDir::Files),
                 QStringList { QFileInfo(logPath).fileName() });
        QVERIFY(TestFiles::readFile(logPath).contains("Installation failed (7)"));
    };
    QCOMPARE(run(m_config, &stages, &logPath, nullptr, whileItLasts), int(UnzipFailed));
    QCOMPARE(leftInTemp(), QStringList());
    QVERIFY(!QFileInfo::exists(m_home->path() + QStringLiteral("/Programs")));
    QCOMPARE(QDir(m_home->path() + QStringLiteral("/journals")).entryList(QDir::Files),
             QStringList());
}

void TestInstallRun::olderSignedPackageIsNotReplayed()
{
    // The publisher's own signed 1.0 package, served by a mirror as 2.0.
    const MinisignKeyPair key = MinisignKeyPair::generate(m_home->path(), QStringLiteral("key"));
    QVERIFY(key.isValid());
    const QString old = m_home->path() + QStringLiteral("/velmar.zip");
    QVERIFY(
        key.sign(old, true, old + QStringLiteral(".minisig"),
                 QStringLiteral("timestamp:1\tfile:velmar-1.0.zip\tproduct:Velmar\tversion:1.0")));
    m_server.serveFile(QStringLiteral("/velmar-2.0.zip"), old);
    m_server.serveFile(QStringLiteral("/velmar-2.0.zip.minisig"), old + QStringLiteral(".minisig"));
    m_config.packageUrl = m_server.url(QStringLiteral("/velmar-2.0.zip")).toString();
    m_config.packagePublicKey = key.publicKeyLine;
    m_config.productVersion = QStringLiteral("2.0");

    QList<InstallRun::Stage> stages;
    QString message;
    QCOMPARE(run(m_config, &stages, nullptr, &message), int(DownloadFailed));
    QVERIFY2(message.contains(QLatin1String("velmar-1.0.zip")), qPrintable(message));
    QVERIFY(!QFileInfo::exists(m_config.installDir));
}

void TestInstallRun::namesThePackageAfterItsPathOnly()
{
    // A signed, expiring link: neither its query nor its fragment may reach
    // the local name (on Windows, "?" and ":" would make it unusable).
    const QString link = QStringLiteral("/dl/velmar%20setup.zip?sig=a/b:c&exp=1");
    m_server.serveFile(link, m_home->path() + QStringLiteral("/velmar.zip"));
    m_config.packageUrl = m_server.url(link + QStringLiteral("#part")).toString();
    QList<InstallRun::Stage> stages;
    QString logPath;
    QCOMPARE(run(m_config, &stages, &logPath), int(NoError));
    const QByteArray log = TestFiles::readFile(logPath);
    QVERIFY2(log.contains("/velmar setup.zip ("), log.constData());
}

void TestInstallRun::logNeverReplacesAPlacedFile()
{
    // The product ships a file of the log's name: it stays as shipped, and
    // the log stays in the run folder.
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program", TestFiles::executable());
    zip.addFile(QStringLiteral("uninst.exe"), "uninstaller", TestFiles::executable());
    zip.addFile(QStringLiteral("installer.log"), "the product's own");
    QVERIFY(zip.write(m_home->path() + QStringLiteral("/with-log.zip")));
    m_server.serveFile(QStringLiteral("/with-log.zip"),
                       m_home->path() + QStringLiteral("/with-log.zip"));
    m_config.packageUrl = m_server.url(QStringLiteral("/with-log.zip")).toString();
    QList<InstallRun::Stage> stages;
    QString logPath;
    QCOMPARE(run(m_config, &stages, &logPath), int(NoError));

    QCOMPARE(TestFiles::readFile(m_config.installDir + QStringLiteral("/installer.log")),
             QByteArray("the product's own"));
    QCOMPARE(QFileInfo(logPath).absolutePath(),
             QDir(m_temp->path()).absoluteFilePath(leftInTemp().value(0)));
    QVERIFY(TestFiles::readFile(logPath).contains("Installation succeeded"));
}

QTEST_GUILESS_MAIN(TestInstallRun)
#include "tst_install_run.moc"
