// Whole installations through the real main window: the start page's button,
// the download from a local HTTP server, unpacking and copying on the worker
// thread, registration, and the result pages; every failure ends on the
// failure page after one message box.

#include "wizard_harness.h"

#include "engine/install_log.h"
#include "engine/registration/earlier_installation.h"
#include "engine/registration/registration.h"
#include "support/http_test_server.h"
#include "support/message_box_answerer.h"
#include "support/test_files.h"
#include "support/test_paths.h"
#include "support/windows_traces.h"
#include "support/zip_builder.h"

#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

using TestFiles::filesBelow;
using TestFiles::readFile;
using TestFiles::writeFile;

constexpr int installTimeoutMs = 60000;

} // namespace

class TstInstallFlow : public QObject
{
    Q_OBJECT

public:
    explicit TstInstallFlow(const TemporaryHome &home)
        : m_home(home)
    {
    }

private slots:
    void init();
    void cleanup();

    void fullInstallSucceedsAndLaunches();
    void percentageNeverPassesHundred();
    void downloadFailureShowsNetworkText();
    void damagedPackageFails();
    void uncreatableInstallDirCopiesNothing();
    void packageNamedDotDotStaysInTheRunFolder();
    void tooDeepFolderIsRefusedOnStartPage();
    void slideshowCyclesThroughThreePictures();
    void folderWithOtherFilesAsksFirst_data();
    void folderWithOtherFilesAsksFirst();
    void upgradeAsksNothing();
    void productWithoutShortcutIsPointedOut();
    void packageWithoutProgramFails();
    void progressFillsTheSecondHalfWhileUnpacking();
    void shippedSampleSettingsFitThisSystem();

private:
    // Makes the product (the fake program under programName plus data
    // files) and packs it.
    bool makeProduct();
    QString serveFile(const QString &name, const QByteArray &body);
    // Runs the wizard from the start page to a result page; afterStart runs
    // once the start page has let the installation begin.
    bool runInstall(const std::function<void()> &afterStart = {});
    QString tempFolder() const { return temporaryFolder(m_home); }

    const TemporaryHome &m_home;
    WizardHarness m_wizard;
    HttpTestServer *m_server = nullptr;
    QMap<QString, QByteArray> m_product;
    quint64 m_productSize = 0;
    QByteArray m_package;
};

void TstInstallFlow::init()
{
    WizardHarness::resetConfig(m_home);
    m_server = new HttpTestServer(this);
    QVERIFY(m_server->listen());
    QVERIFY(QDir(tempFolder()).removeRecursively() && QDir().mkpath(tempFolder()));
    QVERIFY(makeProduct());

    // A fresh install folder (not there yet, its parent is) for every test.
    static int run = 0;
    const QString parent
        = QDir(m_home.path()).absoluteFilePath(QStringLiteral("installs/%1").arg(++run));
    QVERIFY(QDir().mkpath(parent));
    installerConfig()->installDir = parent + QStringLiteral("/Velmar");
}

void TstInstallFlow::cleanup()
{
    m_wizard.destroy();
    delete m_server;
    m_server = nullptr;
#ifdef Q_OS_WIN
    removeWindowsRegistration(*installerConfig());
#endif
}

bool TstInstallFlow::makeProduct()
{
    const QByteArray program = readFile(TestPaths::sleeper());
    if (program.isEmpty())
        return false;
    m_product.clear();
    m_product.insert(installerConfig()->programName, program);
    m_product.insert(QStringLiteral("uninst.exe"), "#!/bin/sh\nexit 0\n");
    m_product.insert(QStringLiteral("data/readme.txt"), "Velmar readme\n");
    m_product.insert(QStringLiteral("data/levels/one.dat"), QByteArray(70000, 'x'));

    ZipBuilder zip;
    for (auto it = m_product.cbegin(); it != m_product.cend(); ++it) {
        const bool isProgram = it.key() == installerConfig()->programName;
        zip.addFile(it.key(), it.value(),
                    isProgram ? TestFiles::executable() : TestFiles::regular());
    }
    const QString zipPath = QDir(m_home.path()).absoluteFilePath(QStringLiteral("package.zip"));
    if (!zip.write(zipPath))
        return false;
    m_package = readFile(zipPath);
    m_productSize = zip.contentSize();
    return !m_package.isEmpty();
}

QString TstInstallFlow::serveFile(const QString &name, const QByteArray &body)
{
    m_server->serveData(QLatin1Char('/') + name, body);
    return m_server->url(QLatin1Char('/') + name).toString();
}

// Agrees, presses "Install now" and waits for a result page.
bool TstInstallFlow::runInstall(const std::function<void()> &afterStart)
{
    m_wizard.show();
    m_wizard.agreeAndInstall();
    if (afterStart)
        afterStart();
    return QTest::qWaitFor(
        [this] {
            const int page = m_wizard.currentPage();
            return page == SuccessPage || page == FailurePage;
        },
        installTimeoutMs);
}

void TstInstallFlow::fullInstallSucceedsAndLaunches()
{
    InstallerConfig *config = installerConfig();
    config->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    config->bytesTotal = m_productSize;
    MessageBoxAnswerer answerer(QStringLiteral("OK"));

    QVERIFY(runInstall());
    QCOMPARE(m_wizard.currentPage(), int(SuccessPage));
    QCOMPARE(answerer.count(), 0);
    QVERIFY(config->installSucceeded);

    // Every file of the product, with its contents, and the run's log
    // beside it: paths, the download attempt, each registration write.
    QMap<QString, QByteArray> installed = filesBelow(config->installDir);
    const QString log = QString::fromUtf8(installed.take(QStringLiteral("installer.log")));
    QCOMPARE(installed, m_product);
    const QStringList expectedLines = {
        QStringLiteral("Package URL: ") + config->packageUrl,
        QStringLiteral("Install folder: ") + config->installDir,
        QStringLiteral("download attempt 1 of"),
        QStringLiteral("entries (4 files"),
        QStringLiteral("Registration: uninstall entry"),
        QStringLiteral("Installation succeeded"),
    };
    // Lines end the system's way (CRLF for Notepads before Windows 10 1809).
#ifdef Q_OS_WIN
    QCOMPARE(log.count(QStringLiteral("\r\n")), log.count(QLatin1Char('\n')));
#endif
    for (const QString &line : expectedLines)
        QVERIFY2(log.contains(line), qPrintable(line));
    QVERIFY(
        QFileInfo(QDir(config->installDir).absoluteFilePath(config->programName)).isExecutable());
    // The package and the unpacked copy are gone from the temporary folder.
    QCOMPARE(QDir(tempFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    QCOMPARE(m_wizard.page<InstallWidget>()->findChild<QProgressBar *>()->value(), 100);

    // Registered: a menu entry that starts the installed program, and no
    // start with the computer, which was not asked for.
    const QString program = QDir(config->installDir).absoluteFilePath(config->programName);
#ifdef Q_OS_WIN
    const QString menuLink
        = QDir(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))
              .filePath(config->productName + QLatin1Char('/') + config->productText
                        + QStringLiteral(".lnk"));
    QCOMPARE(QFileInfo(menuLink).symLinkTarget().toLower(), program.toLower());
    QVERIFY(!QFileInfo::exists(
        QDir(startupFolder()).filePath(config->productName + QStringLiteral(".lnk"))));
#else
    const QString dataHome = m_home.dataHome();
    QDirIterator entries(dataHome + QStringLiteral("/applications"),
                         { QStringLiteral("*.desktop") }, QDir::Files);
    bool startsProgram = false;
    while (entries.hasNext()) {
        if (readFile(entries.next()).contains(program.toUtf8()))
            startsProgram = true;
    }
    QVERIFY2(startsProgram, "no menu entry starts the installed program");
    QVERIFY(
        QDir(m_home.configHome() + QStringLiteral("/autostart")).entryList(QDir::Files).isEmpty());
#endif

    // The window may be closed again, and "Launch" starts the product in its
    // own folder and ends the installer.
    QVERIFY(m_wizard.window()->isVisible());
    QTest::mouseClick(m_wizard.child<QPushButton>("launch"), Qt::LeftButton);
    QVERIFY(!m_wizard.window()->isVisible());
    const QString record
        = QDir(config->installDir).absoluteFilePath(QStringLiteral("launched_from.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 20000);
    // The sleeper records its working folder on its first line.
    QTRY_COMPARE(QString::fromLocal8Bit(readFile(record)).section(QLatin1Char('\n'), 0, 0),
                 config->installDir);
}

void TstInstallFlow::percentageNeverPassesHundred()
{
    // A publisher that gives too small a size: the copy reports far more
    // than everything.
    InstallerConfig *config = installerConfig();
    config->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    config->bytesTotal = m_productSize / 4;

    QVERIFY(runInstall());
    QCOMPARE(m_wizard.currentPage(), int(SuccessPage));
    const auto *percent = m_wizard.child<QLabel>("percent");
    QVERIFY2(percent->text().endsWith(QStringLiteral("(100%)")), qPrintable(percent->text()));
}

void TstInstallFlow::downloadFailureShowsNetworkText()
{
    // Nothing is served under this name, so every attempt fails.
    const QUrl missing = m_server->url(QStringLiteral("/missing.zip"));
    installerConfig()->packageUrl = missing.toString();

    // What the network library itself says about this URL.
    QNetworkAccessManager manager;
    QNetworkReply *probe = manager.get(QNetworkRequest(missing));
    QEventLoop loop;
    connect(probe, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QString networkText = probe->errorString();
    QVERIFY(probe->error() != QNetworkReply::NoError);
    delete probe;

    MessageBoxAnswerer answerer(QStringLiteral("OK"));
    QVERIFY(runInstall());

    QCOMPARE(m_wizard.currentPage(), int(FailurePage));
    QVERIFY(!installerConfig()->installSucceeded);
    QCOMPARE(answerer.titles(), QStringList { QStringLiteral("Install Velmar Test") });
    QCOMPARE(answerer.texts(),
             QStringList { QStringLiteral("Failed to install(") + networkText + QLatin1Char(')') });
    QVERIFY(!QFileInfo::exists(installerConfig()->installDir));
}

void TstInstallFlow::damagedPackageFails()
{
    // A zip cut in half.
    installerConfig()->packageUrl
        = serveFile(QStringLiteral("velmar.zip"), m_package.left(m_package.size() / 2));
    MessageBoxAnswerer answerer(QStringLiteral("OK"));

    QVERIFY(runInstall());

    QCOMPARE(m_wizard.currentPage(), int(FailurePage));
    QCOMPARE(answerer.count(), 1);
    QVERIFY2(answerer.texts().first().startsWith(QStringLiteral("Failed to install(")),
             qPrintable(answerer.texts().first()));
    QVERIFY(filesBelow(installerConfig()->installDir).isEmpty());
    // No unpacked leftovers: the run's folder keeps only its log, which the
    // failure page offers.
    const QStringList runs
        = QDir(tempFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(runs.size(), 1);
    const QDir run(QDir(tempFolder()).absoluteFilePath(runs.first()));
    QCOMPARE(run.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList { QStringLiteral("installer.log") });
    QVERIFY(readFile(run.absoluteFilePath(QStringLiteral("installer.log")))
                .contains("Installation failed"));
    QVERIFY(!QFileInfo::exists(installerConfig()->installDir));
    QVERIFY(m_wizard.child<QPushButton>("view_log")->isEnabled());
}

void TstInstallFlow::uncreatableInstallDirCopiesNothing()
{
    // The folder's parent exists, but the folder's own name is taken by a
    // file once the start page has checked it, so the folder cannot be made.
    const QString blocker = QDir(m_home.path()).absoluteFilePath(QStringLiteral("blocked"));
    installerConfig()->installDir = blocker;
    installerConfig()->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    MessageBoxAnswerer answerer(QStringLiteral("OK"));

    bool blocked = false;
    QVERIFY(runInstall([&] { blocked = writeFile(blocker, "keep me"); }));
    QVERIFY(blocked);

    QCOMPARE(m_wizard.currentPage(), int(FailurePage));
    QCOMPARE(answerer.texts(),
             QStringList { QStringLiteral("Failed to install(Target dir is not exist.)") });
    QCOMPARE(readFile(blocker), QByteArray("keep me"));
    // The log names the folder and the system's reason.
    const QString log = TestFiles::readText(InstallLog::latestPath());
    QVERIFY2(log.contains(QRegularExpression(
                 QStringLiteral("Could not create the install folder: %1: \\w")
                     .arg(QRegularExpression::escape(QDir::toNativeSeparators(blocker))))),
             qPrintable(log));
    // No file of the product reached any folder of the home.
    QDirIterator it(m_home.path(), { installerConfig()->programName }, QDir::Files,
                    QDirIterator::Subdirectories);
    QVERIFY(!it.hasNext());
    // The page shut its worker thread down again.
    QCOMPARE(m_wizard.page<InstallWidget>()->findChildren<QThread *>().size(), 0);
}

void TstInstallFlow::tooDeepFolderIsRefusedOnStartPage()
{
#ifndef Q_OS_WIN
    QSKIP("the 260-character limit is Windows' own");
#endif
    // Names of 200 and 60 characters: the folder alone is too deep.
    const QString parent = m_home.path() + QLatin1Char('/') + QString(200, 'd');
    QVERIFY(QDir().mkpath(parent));
    installerConfig()->installDir = parent + QLatin1Char('/') + QString(60, 'e');
    installerConfig()->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    MessageBoxAnswerer answerer(QStringLiteral("OK"));
    m_wizard.show();
    // The field shows the folder the system's way.
    QCOMPARE(m_wizard.child<QLineEdit>("dir_edit")->text(),
             QDir::toNativeSeparators(installerConfig()->installDir));
    m_wizard.agreeAndInstall();
    QTRY_COMPARE(answerer.count(), 1);
    QVERIFY2(answerer.texts().first().contains(QStringLiteral(" 260 characters")),
             qPrintable(answerer.texts().first()));
    QCOMPARE(m_server->requestCount(QStringLiteral("/velmar.zip")), 0);
}

void TstInstallFlow::packageNamedDotDotStaysInTheRunFolder()
{
    // ".." names no file: the package is kept as package.zip in the run's
    // own folder, and nothing of the run is left in the temporary folder.
    installerConfig()->packageUrl = serveFile(QStringLiteral(".."), m_package);
    installerConfig()->bytesTotal = m_productSize;

    QVERIFY(runInstall());

    QCOMPARE(m_wizard.currentPage(), int(SuccessPage));
    QCOMPARE(QDir(tempFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TstInstallFlow::slideshowCyclesThroughThreePictures()
{
    InstallWidget page;
    page.resize(500, 300);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto *container = page.findChild<QFrame *>(QStringLiteral("container"));
    QFrame *images[] = { page.findChild<QFrame *>(QStringLiteral("image1")),
                         page.findChild<QFrame *>(QStringLiteral("image2")),
                         page.findChild<QFrame *>(QStringLiteral("image3")) };
    QVERIFY(container && images[0] && images[1] && images[2]);
    QCOMPARE(images[0]->pos(), QPoint(0, 0));
    QVERIFY(images[1]->x() < -1000 && images[2]->x() < -1000);

    auto *timer = page.findChild<QTimer *>();
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 5000);

    const QRect area = container->contentsRect();
    const QPoint shown = area.topLeft();
    const QPoint gone(area.left() - area.width(), area.top());
    // image1 -> image2 -> image3 -> image1: each change brings the next in
    // and moves the one on show out to the left.
    for (int change = 1; change <= 3; ++change) {
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QFrame *incoming = images[change % 3];
        QFrame *outgoing = images[(change + 2) % 3];
        QTRY_COMPARE(incoming->pos(), shown);
        QTRY_COMPARE(outgoing->pos(), gone);
    }
}

void TstInstallFlow::folderWithOtherFilesAsksFirst_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("No goes back to the start page") << "No";
    QTest::newRow("Yes installs beside the user's files") << "Yes";
}

void TstInstallFlow::folderWithOtherFilesAsksFirst()
{
    QFETCH(QString, answer);
    InstallerConfig *config = installerConfig();
    config->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    const QString users
        = QDir(config->installDir).absoluteFilePath(QStringLiteral("data/readme.txt"));
    QVERIFY(writeFile(users, "the user's own readme"));
    MessageBoxAnswerer answerer(answer);

    m_wizard.show();
    m_wizard.agreeAndInstall();
    QTRY_COMPARE(answerer.count(), 1);
    QCOMPARE(answerer.texts().first(),
             QStringLiteral("The folder %1 already contains files. Install into it anyway?")
                 .arg(QDir::toNativeSeparators(config->installDir)));
    if (answer == QLatin1String("No")) {
        QTest::qWait(200);
        QCOMPARE(m_wizard.currentPage(), int(StartPage));
        QCOMPARE(filesBelow(config->installDir).keys(),
                 QStringList { QStringLiteral("data/readme.txt") });
        QCOMPARE(m_server->requestCount(QStringLiteral("/velmar.zip")), 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_wizard.currentPage(), int(SuccessPage), installTimeoutMs);
    // The package's readme replaces the user's: the user said yes.
    QCOMPARE(readFile(users), m_product.value(QStringLiteral("data/readme.txt")));
}

void TstInstallFlow::upgradeAsksNothing()
{
    InstallerConfig *config = installerConfig();
    config->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    MessageBoxAnswerer answerer(QStringLiteral("No"));
    QVERIFY(runInstall());
    QCOMPARE(m_wizard.currentPage(), int(SuccessPage));
    m_wizard.destroy();

    // The same folder again: the uninstall record names it.
    config->installSucceeded = false;
    QVERIFY(runInstall());
    QCOMPARE(m_wizard.currentPage(), int(SuccessPage));
    QCOMPARE(answerer.count(), 0);
}

void TstInstallFlow::productWithoutShortcutIsPointedOut()
{
#ifdef Q_OS_WIN
    QSKIP("the prefix's Start menu and desktop cannot be closed to one test");
#else
    // No desktop folder in the home, and a folder takes the menu entry's name.
    const QString blocker = m_home.dataHome() + QStringLiteral("/applications/Velmar.desktop");
    QFile::remove(blocker); // an earlier test's entry
    QVERIFY(QDir().mkpath(blocker));
    InstallerConfig *config = installerConfig();
    config->packageUrl = serveFile(QStringLiteral("velmar.zip"), m_package);
    MessageBoxAnswerer answerer(QStringLiteral("OK"));
    const bool ended = runInstall();
    QDir(blocker).removeRecursively();
    QVERIFY(ended);
    QCOMPARE(m_wizard.currentPage(), int(SuccessPage)); // installed all the same
    QCOMPARE(answerer.texts(),
             QStringList { QStringLiteral("Velmar Test is installed, but no shortcut to it could "
                                          "be created. Start it from the folder %1.")
                               .arg(config->installDir) });
    // The log beside the product says which file failed and why.
    const QDir folder(config->installDir);
    const QString log = TestFiles::readText(
        folder.filePath(folder.entryList({ QStringLiteral("*.log") }).value(0)));
    QVERIFY2(log.contains(QRegularExpression(QStringLiteral("could not write the shortcut %1 - \\w")
                                                 .arg(QRegularExpression::escape(blocker)))),
             qPrintable(log));
#endif
}

void TstInstallFlow::packageWithoutProgramFails()
{
    ZipBuilder zip;
    zip.addFile(QStringLiteral("uninst.exe"), "uninstaller");
    zip.addFile(QStringLiteral("data/readme.txt"), "readme");
    const QString zipPath = QDir(m_home.path()).absoluteFilePath(QStringLiteral("incomplete.zip"));
    QVERIFY(zip.write(zipPath));
    installerConfig()->packageUrl = serveFile(QStringLiteral("velmar.zip"), readFile(zipPath));
    MessageBoxAnswerer answerer(QStringLiteral("OK"));

    QVERIFY(runInstall());
    QCOMPARE(m_wizard.currentPage(), int(FailurePage));
    QCOMPARE(answerer.texts(),
             QStringList { QStringLiteral("Failed to install(The install package is incomplete: "
                                          "it lacks %1.)")
                               .arg(installerConfig()->programName) });
    // The folder the run created is gone again, and nothing was registered.
    QVERIFY(!QFileInfo::exists(installerConfig()->installDir));
    QVERIFY(!holdsEarlierInstallation(*installerConfig(), installerConfig()->installDir));
}

void TstInstallFlow::progressFillsTheSecondHalfWhileUnpacking()
{
    // Many small files, so unpacking takes a while.
    ZipBuilder zip;
    zip.addFile(installerConfig()->programName, "program", TestFiles::executable());
    zip.addFile(QStringLiteral("uninst.exe"), "uninstaller");
    for (int i = 0; i < 3000; ++i)
        zip.addFile(QStringLiteral("data/%1.txt").arg(i), QByteArray(2000, 'd'));
    const QString zipPath = QDir(m_home.path()).absoluteFilePath(QStringLiteral("many.zip"));
    QVERIFY(zip.write(zipPath));
    installerConfig()->packageUrl = serveFile(QStringLiteral("velmar.zip"), readFile(zipPath));

    m_wizard.show();
    auto *bar = m_wizard.page<InstallWidget>()->findChild<QProgressBar *>();
    QList<int> values;
    connect(bar, &QProgressBar::valueChanged, this, [&values](int value) { values << value; });
    m_wizard.agreeAndInstall();
    QTRY_COMPARE_WITH_TIMEOUT(m_wizard.currentPage(), int(SuccessPage), installTimeoutMs);
    QCOMPARE(values.last(), 100);
    for (int i = 1; i < values.size(); ++i)
        QVERIFY(values.at(i) >= values.at(i - 1));
    // Unpacking moves the bar past 50 before the end, instead of leaving it
    // frozen at 50 until the files are in place.
    QVERIFY(std::any_of(values.cbegin(), values.cend(), [](int v) { return v > 50 && v < 100; }));
}

void TstInstallFlow::shippedSampleSettingsFitThisSystem()
{
    // The sample beside the built program names the program as this system
    // does, or it installs nothing.
    const QSettings sample(TestPaths::outputDir() + QStringLiteral("/settings.ini"),
                           QSettings::IniFormat);
    QCOMPARE(sample.value(QStringLiteral("programName")).toString(),
             QStringLiteral("Velmar") + QLatin1String(programSuffix));
}

WIZARD_TEST_MAIN(TstInstallFlow)

#include "tst_install_flow.moc"
