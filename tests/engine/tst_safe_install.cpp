// All or nothing: a refused package, a full disk while unpacking or while
// placing, and a run killed during placement all leave the earlier version
// exactly as it was and nothing of the run anywhere, and never remove what
// the user put there since; two runs into different folders do not touch
// each other, and a second run into the same folder is refused. Every test
// looks at the whole sandbox, so a write outside the install folder would
// show.
#include "engine/install_error.h"
#include "engine/install_log.h"
#include "engine/install_run.h"
#include "engine/platform_helpers.h"
#include "engine/run_folder.h"
#include "engine/unpack/install_folder_lock.h"
#include "engine/unpack/install_journal.h"
#include "engine/unpack/unzip_worker.h"
#include "support/http_test_server.h"
#include "support/raw_zip.h"
#include "support/temporary_folder_variable.h"
#include "support/test_files.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/statvfs.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(RawZip)
using Tree = QMap<QString, QByteArray>;
Q_DECLARE_METATYPE(Tree)

namespace {

// Every path below root with its contents (files) or target (links).
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray value = "folder";
        if (info.isSymLink()) {
            value = "link:" + QFile::encodeName(info.symLinkTarget());
        } else if (info.isFile()) {
            value = TestFiles::readFile(path);
            if (value.isNull())
                value = "unreadable";
        }
        tree.insert(QDir(root).relativeFilePath(path), value);
    }
    return tree;
}

struct Result
{
    int error = -1;
    QString message;
};

Result install(const QString &zip, const QString &target, const QStringList &required = {})
{
    UnzipWorker worker;
    worker.setRequiredFiles(required);
    Result result;
    QObject::connect(&worker, &UnzipWorker::done, [&result](int error, const QString &message) {
        result = { error, message };
    });
    worker.doWork(zip, 0, target);
    return result;
}

RawZip version(const QByteArray &tag, int extraFiles = 0)
{
    RawZip zip;
    zip.add("Velmar", "program " + tag, 0100755);
    zip.add("uninst.exe", "uninstaller " + tag, 0100755);
    zip.add("data/readme.txt", "readme " + tag);
    zip.add("data/levels/one.dat", QByteArray(5000, tag.at(0)));
    zip.addLink("data/current", "levels/one.dat");
    for (int i = 0; i < extraFiles; ++i)
        zip.add("more/f" + QByteArray::number(i), tag + QByteArray::number(i));
    return zip;
}

struct Volume
{
    quint64 freeBlocks = 0;
    quint64 freeEntries = 0;
    bool operator==(const Volume &other) const
    {
        return freeBlocks == other.freeBlocks && freeEntries == other.freeEntries;
    }
};

Volume volumeOf(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path)
    return {};
#else
    struct statvfs status;
    if (::statvfs(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return { quint64(status.f_bavail), quint64(status.f_favail) };
#endif
}

} // namespace

class TestSafeInstall : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusedPackageLeavesEverythingAsItWas_data();
    void refusedPackageLeavesEverythingAsItWas();
    void upgradeReplacesFilesAndKeepsTheUsers();
    void failureAfterANewFolderMovedInUndoesItWhole();
    void fullDiskWhileUnpackingChangesNothing();
    void fullDiskWhilePlacingChangesNothing();
    void killedPlacementIsPutRightAtTheNextStart();
    void twoRunsWithOnePackageNameAtOnce();
    void recoveryLeavesLiveRunsAlone();
    void recoveryFinishesCommittedRunsAndRemovesLeftovers();
    void runFolderRefusesUnusableTemporaryFolders_data();
    void runFolderRefusesUnusableTemporaryFolders();
    void secondInstallerIntoOneFolderIsRefused();
    void folderLockHoldsForEverySpelling_data();
    void folderLockHoldsForEverySpelling();
    void recoveryRemovesOnlyWhatTheRunPlaced_data();
    void recoveryRemovesOnlyWhatTheRunPlaced();
    void killedRunKeepsTheUsersFileInItsNewFolder();
    void setAsideFileInUseIsRemovedAtTheNextStart();
    void hostileListingIsRefusedWithLittleMemory();

private:
    QString sandbox() const { return m_root->path(); }
    QString target() const { return sandbox() + QStringLiteral("/install"); }
    QString zipPath() const { return sandbox() + QStringLiteral("/package.zip"); }
    QString journals() const { return sandbox() + QStringLiteral("/journals"); }
    // Mounts a tmpfs of its own for the install folder; false (after a
    // skip message) when the test cannot.
    bool mountSmallVolume(const QString &options);
    // The first version, with a file of the user's own in the product's
    // folder; false (after a warning) when it could not be installed.
    bool installVersionOne();
    // Starts the road object's own process on an installation, with its
    // temporary folder, home and data folders in the sandbox.
    void startInstaller(QProcess *installer, const QString &url, const QString &folder);
    // Installs zipPath() in a process of its own and kills it once its
    // journal holds more than count lines that begin with step, before
    // its commit. False (after a warning) when the run ended first.
    bool installAndKill(const QByteArray &step, int count);
    // The journal of a run killed while it placed version 2 over
    // installVersionOne(), which must be there: it replaced Velmar, made
    // the folder extra with a.txt in it and placed new.txt; its last line
    // was cut short.
    bool writeInterruptedRun();

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_mounted;
};

void TestSafeInstall::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    QVERIFY(QDir().mkpath(target()));
}

void TestSafeInstall::cleanup()
{
    if (!m_mounted.isEmpty())
        QProcess::execute(QStringLiteral("umount"), { m_mounted });
    m_mounted.clear();
    m_root.reset();
}

bool TestSafeInstall::mountSmallVolume(const QString &options)
{
#ifdef Q_OS_WIN
    Q_UNUSED(options)
    qWarning("the full-disk tests mount a small tmpfs, which only Linux has");
    return false;
#else
    if (geteuid() != 0) {
        qWarning("not root: the full-disk tests need to mount a small tmpfs");
        return false;
    }
#endif
    if (QProcess::execute(QStringLiteral("mount"),
                          { QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                            options, QStringLiteral("tmpfs"), target() })
        != 0) {
        qWarning("mount -t tmpfs failed");
        return false;
    }
    m_mounted = target();
    return true;
}

bool TestSafeInstall::installVersionOne()
{
    if (!version("1").write(zipPath()))
        return false;
    const Result first = install(zipPath(), target());
    if (first.error != NoError) {
        qWarning("version 1 was not installed: %s", qPrintable(first.message));
        return false;
    }
    return QFile::remove(zipPath())
        && TestFiles::writeFile(target() + QStringLiteral("/data/notes.txt"), "mine");
}

void TestSafeInstall::refusedPackageLeavesEverythingAsItWas_data()
{
    QTest::addColumn<RawZip>("zip");
    QTest::addColumn<QString>("reason");
    {
        RawZip zip = version("2");
        zip.addLink("data/x", "../../../outside.txt");
        zip.add("data/x", "attacker's text");
        QTest::newRow("link, then a file of the same name") << zip << "land on";
    }
    {
        RawZip zip = version("2");
        zip.addLink(QByteArray(256, 't'), "..");
        zip.add(QByteArray(256, 't') + "zzzz", "text");
        QTest::newRow("names cut at 256 bytes would meet") << zip << "too long";
    }
    {
        RawZip zip = version("2");
        zip.add("data/" + QByteArray(300, 'n') + ".txt", "text");
        QTest::newRow("300-byte name") << zip << "too long";
    }
    {
        RawZip zip = version("2");
        zip.add("data/\xff.txt", "one").flags = 0x0800;
        zip.add("data/\xfe.txt", "two").flags = 0x0800;
        QTest::newRow("invalid UTF-8 names") << zip << "UTF-8";
    }
    {
        RawZip zip = version("2");
        for (const char *name : { "big1", "big2" }) {
            RawZip::Entry &entry = zip.add(name, "small");
            entry.statesOtherSize = true;
            entry.statedSize = quint64(1) << 63;
        }
        QTest::newRow("sizes of 2^63 bytes each") << zip << "space";
    }
    {
        RawZip zip = version("2");
        zip.add("data/damaged", "content").crcXor = 1;
        QTest::newRow("wrong CRC-32") << zip << "CRC-32";
    }
    {
        RawZip zip = version("2");
        RawZip::Entry &entry = zip.add("data/short", "more than stated");
        entry.statesOtherSize = true;
        entry.statedSize = 4;
        QTest::newRow("more data than stated") << zip << "data/short";
    }
    {
        RawZip zip;
        zip.add("Velmar", "program 2");
        QTest::newRow("no uninstaller") << zip << "uninst.exe";
    }
    {
        RawZip zip;
        zip.add("uninst.exe", "uninstaller 2");
        zip.add("bin/Velmar", "not at the top");
        QTest::newRow("no program at the top") << zip << "Velmar";
    }
}

void TestSafeInstall::refusedPackageLeavesEverythingAsItWas()
{
    QFETCH(RawZip, zip);
    QFETCH(QString, reason);
    QVERIFY(installVersionOne());
    QVERIFY(zip.write(zipPath()));
    const QMap<QString, QByteArray> before = snapshot(sandbox());

    const Result result
        = install(zipPath(), target(), { QStringLiteral("Velmar"), QStringLiteral("uninst.exe") });
    QVERIFY(result.error != NoError);
    QVERIFY2(result.message.contains(reason), qPrintable(result.message));
    QCOMPARE(snapshot(sandbox()), before);
    QCOMPARE(snapshot(target()).value(QStringLiteral("Velmar")), QByteArray("program 1"));
}

void TestSafeInstall::upgradeReplacesFilesAndKeepsTheUsers()
{
    QVERIFY(installVersionOne());
    RawZip two = version("2");
    two.add("data/new.txt", "new in 2");
    QVERIFY(two.write(zipPath()));
    QCOMPARE(install(zipPath(), target()).error, int(NoError));

    const QMap<QString, QByteArray> after = snapshot(target());
    QCOMPARE(after.value(QStringLiteral("Velmar")), QByteArray("program 2"));
    QCOMPARE(after.value(QStringLiteral("data/readme.txt")), QByteArray("readme 2"));
    QCOMPARE(after.value(QStringLiteral("data/new.txt")), QByteArray("new in 2"));
    QCOMPARE(after.value(QStringLiteral("data/notes.txt")), QByteArray("mine"));
#ifndef Q_OS_WIN // links of a package are not made on Windows
    QCOMPARE(after.value(QStringLiteral("data/current")),
             QByteArray("link:")
                 + QFile::encodeName(target() + QStringLiteral("/data/levels/one.dat")));
#endif
    // Nothing but the product and the user's file: no staging, nothing set
    // aside.
    QStringList top
        = QDir(target()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    top.sort();
    QCOMPARE(top,
             QStringList({ QStringLiteral("Velmar"), QStringLiteral("data"),
                           QStringLiteral("uninst.exe") }));
}

void TestSafeInstall::failureAfterANewFolderMovedInUndoesItWhole()
{
    // The new folder extra moves in first; in data, which is there, the
    // package has a file where the user has a folder.
    QVERIFY(installVersionOne());
    QVERIFY(QDir().mkpath(target() + QStringLiteral("/data/mine")));
    RawZip two = version("2");
    two.add("extra/a.txt", "a");
    two.add("extra/sub/b.txt", "b");
    two.add("data/mine", "the package's file");
    QVERIFY(two.write(zipPath()));
    const QMap<QString, QByteArray> before = snapshot(sandbox());

    const Result result = install(zipPath(), target());
    QCOMPARE(result.error, int(CopyFailed));
    QVERIFY2(result.message.contains(QStringLiteral("data/mine")), qPrintable(result.message));
    QCOMPARE(snapshot(sandbox()), before);
}

void TestSafeInstall::fullDiskWhileUnpackingChangesNothing()
{
    // Room for many bytes but few files: the volume fills up while the
    // second version's many small files are unpacked.
    if (!mountSmallVolume(QStringLiteral("size=16m,nr_inodes=64")))
        QSKIP("cannot mount a tmpfs (needs root)");
    QVERIFY(installVersionOne());
    RawZip two = version("2", 100);
    QVERIFY(two.write(zipPath()));
    const QMap<QString, QByteArray> before = snapshot(sandbox());
    const Volume space = volumeOf(target());

    const Result result = install(zipPath(), target());
    QCOMPARE(result.error, int(DiskFull));
    QVERIFY2(result.message.contains(QLatin1String("disk is full")), qPrintable(result.message));
    QCOMPARE(snapshot(sandbox()), before);
    QVERIFY(volumeOf(target()) == space);
}

void TestSafeInstall::fullDiskWhilePlacingChangesNothing()
{
    if (!mountSmallVolume(QStringLiteral("size=16m,nr_inodes=64")))
        QSKIP("cannot mount a tmpfs (needs root)");
    QVERIFY(installVersionOne());
    // The staged tree takes every free entry of the volume: the work folder,
    // "new", the folders data, data/levels and more, the five entries of
    // the product and the fillers. Setting the first replaced file aside
    // then needs one more.
    const quint64 freeEntries = volumeOf(target()).freeEntries;
    QVERIFY(freeEntries > 10);
    RawZip two = version("2", int(freeEntries - 10));
    QVERIFY(two.write(zipPath()));
    const QMap<QString, QByteArray> before = snapshot(sandbox());
    const Volume space = volumeOf(target());

    const Result result = install(zipPath(), target());
    QCOMPARE(result.error, int(DiskFull));
    QVERIFY2(result.message.contains(QLatin1String("disk is full")), qPrintable(result.message));
    QVERIFY2(result.message.contains(QLatin1String("cannot be replaced")),
             qPrintable(result.message));
    QCOMPARE(snapshot(sandbox()), before);
    QVERIFY(volumeOf(target()) == space);
}

void TestSafeInstall::startInstaller(QProcess *installer, const QString &url, const QString &folder)
{
    const QString temp = sandbox() + QStringLiteral("/run-temp");
    QDir().mkpath(temp);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(temporaryFolderVariable()), temp);
    for (const char *variable : { "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME" })
        environment.insert(QLatin1String(variable), sandbox() + QStringLiteral("/home"));
    installer->setProcessEnvironment(environment);
    installer->start(QStringLiteral(ENGINE_TEST_INSTALLER),
                     { QStringLiteral("install"), url, folder, journals() });
}

bool TestSafeInstall::installAndKill(const QByteArray &step, int count)
{
    QProcess installer;
    startInstaller(&installer, QUrl::fromLocalFile(zipPath()).toString(), target());
    if (!installer.waitForStarted()) {
        qWarning("the installer did not start");
        return false;
    }
    bool killed = false;
    QElapsedTimer waited;
    waited.start();
    while (!killed && installer.state() == QProcess::Running && waited.elapsed() < 120000) {
        const QStringList found = QDir(journals()).entryList({ QStringLiteral("*.journal") });
        if (!found.isEmpty()) {
            const QByteArray text
                = TestFiles::readFile(journals() + QLatin1Char('/') + found.first());
            if (text.count("\n" + step) > count && !text.contains("commit")) {
                installer.kill(); // SIGKILL, or TerminateProcess on Windows
                killed = true;
            }
        }
        installer.waitForFinished(1);
    }
    installer.waitForFinished();
    if (!killed)
        qWarning("the placement ended before it could be killed (after %lld ms): %s",
                 waited.elapsed(), installer.readAllStandardOutput().constData());
    return killed;
}

void TestSafeInstall::killedPlacementIsPutRightAtTheNextStart()
{
    // Many files to replace make the placement long enough to be caught.
    QVERIFY(version("1", 4000).write(zipPath()));
    QCOMPARE(install(zipPath(), target()).error, int(NoError));
    const QMap<QString, QByteArray> one = snapshot(target());
    QVERIFY(version("2", 4000).write(zipPath()));
    // Killed once the journal announces a good part of the placement.
    QVERIFY(installAndKill("replace ", 500));
    QVERIFY(!QDir(target())
                 .entryList(QDir::Hidden | QDir::AllEntries)
                 .filter(QStringLiteral(".installer-"))
                 .isEmpty());

    // The next start.
    QProcess next;
    next.start(QStringLiteral(ENGINE_TEST_INSTALLER), { QStringLiteral("recover"), journals() });
    QVERIFY(next.waitForFinished());
    QVERIFY2(next.readAllStandardOutput().contains("Undid"), "no run was undone");

    QCOMPARE(snapshot(target()), one);
    QCOMPARE(QDir(journals()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    // The run's private folder went, with the package copy it held.
    QCOMPARE(QDir(sandbox() + QStringLiteral("/run-temp"))
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestSafeInstall::twoRunsWithOnePackageNameAtOnce()
{
    qputenv(temporaryFolderVariable(), QFile::encodeName(sandbox()));
    RunFolder runs[2];
    QThread threads[2];
    UnzipWorker *workers[2];
    int results[2] = { -1, -1 };
    for (int i = 0; i < 2; ++i) {
        QVERIFY(runs[i].create(uniqueName()));
        QVERIFY(version(QByteArray::number(i + 1), 300)
                    .write(runs[i].filePath(QStringLiteral("package.zip"))));
        QVERIFY(QDir().mkpath(target() + QString::number(i)));
        workers[i] = new UnzipWorker;
        workers[i]->moveToThread(&threads[i]);
        connect(&threads[i], &QThread::finished, workers[i], &QObject::deleteLater);
        connect(workers[i], &UnzipWorker::done, this,
                [&results, i](int error, const QString &) { results[i] = error; });
        threads[i].start();
    }
    QVERIFY(runs[0].path() != runs[1].path());
    for (int i = 0; i < 2; ++i)
        QMetaObject::invokeMethod(workers[i], "doWork", Qt::QueuedConnection,
                                  Q_ARG(QString, runs[i].filePath(QStringLiteral("package.zip"))),
                                  Q_ARG(qulonglong, 0),
                                  Q_ARG(QString, target() + QString::number(i)));
    QTRY_VERIFY_WITH_TIMEOUT(results[0] != -1 && results[1] != -1, 60000);
    for (QThread &thread : threads) {
        thread.quit();
        thread.wait();
    }
    qunsetenv(temporaryFolderVariable());
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(results[i], int(NoError));
        const QMap<QString, QByteArray> tree = snapshot(target() + QString::number(i));
        QCOMPARE(tree.value(QStringLiteral("Velmar")), "program " + QByteArray::number(i + 1));
        QCOMPARE(tree.value(QStringLiteral("more/f299")), QByteArray::number(i + 1) + "299");
    }
}

void TestSafeInstall::recoveryLeavesLiveRunsAlone()
{
    InstallJournal live;
    QVERIFY(live.begin(journals(), uniqueName()));
    const QString temp = sandbox() + QStringLiteral("/live-temp");
    QVERIFY(QDir().mkpath(temp));
    QVERIFY(live.add(JournalEntry::Kind::Temp, temp));

    // Another process starting now.
    QProcess next;
    next.start(QStringLiteral(ENGINE_TEST_INSTALLER), { QStringLiteral("recover"), journals() });
    QVERIFY(next.waitForFinished());
    QVERIFY(QFileInfo::exists(temp));
    QVERIFY(QFileInfo::exists(live.path()));

    live.end();
    QVERIFY(!QFileInfo::exists(live.path()));
}

void TestSafeInstall::recoveryFinishesCommittedRunsAndRemovesLeftovers()
{
    // A run killed after its commit: the new files stay, its work folder
    // (what was set aside) and temporary folder go. A run killed during the
    // download: only its temporary folder and the install folder it made.
    QVERIFY(installVersionOne());
    const QString work = target() + QStringLiteral("/.installer-1");
    QVERIFY(TestFiles::writeFile(work + QStringLiteral("/old/data/readme.txt"), "readme 0"));
    const QString temps[]
        = { sandbox() + QStringLiteral("/temp-1"), sandbox() + QStringLiteral("/temp-2") };
    for (const QString &temp : temps)
        QVERIFY(QDir().mkpath(temp + QStringLiteral("/package.zip.tmp")));
    const QString created = sandbox() + QStringLiteral("/new-parent");
    QVERIFY(QDir().mkpath(created + QStringLiteral("/Velmar")));
    QVERIFY(TestFiles::writeFile(
        journals() + QStringLiteral("/1.journal"),
        "temp " + QFile::encodeName(temps[0]) + "\ninstall " + QFile::encodeName(target())
            + "\nwork " + QFile::encodeName(work) + "\nreplace data/readme.txt\ncommit\n"));
    QVERIFY(TestFiles::writeFile(
        journals() + QStringLiteral("/2.journal"),
        "temp " + QFile::encodeName(temps[1]) + "\ncreated " + QFile::encodeName(created)
            + "\ninstall " + QFile::encodeName(created + QStringLiteral("/Velmar")) + "\n"));
    const QMap<QString, QByteArray> installed = snapshot(target());

    const QStringList report = InstallRun::recoverInterruptedRuns(journals());
    QCOMPARE(report.size(), 3);
    QMap<QString, QByteArray> expected = installed;
    for (auto it = expected.begin(); it != expected.end();)
        it = it.key().startsWith(QLatin1String(".installer-1")) ? expected.erase(it) : it + 1;
    QCOMPARE(snapshot(target()), expected);
    QVERIFY(!QFileInfo::exists(temps[0]) && !QFileInfo::exists(temps[1]));
    QVERIFY(!QFileInfo::exists(created));
    QCOMPARE(QDir(journals()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TestSafeInstall::runFolderRefusesUnusableTemporaryFolders_data()
{
    QTest::addColumn<QString>("temp");
    QTest::newRow("missing") << "missing";
    QTest::newRow("relative") << "relative";
    QTest::newRow("a file") << "file";
}

void TestSafeInstall::runFolderRefusesUnusableTemporaryFolders()
{
    // The package must never land in the working folder, where the user
    // may keep a file of the same name.
    QFETCH(QString, temp);
#ifdef Q_OS_WIN
    if (temp == QLatin1String("relative"))
        QSKIP("Windows itself turns a relative TMP into a full path");
#endif
    QVERIFY(TestFiles::writeFile(sandbox() + QStringLiteral("/file"), QByteArray()));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(sandbox()));
    qputenv(temporaryFolderVariable(),
            temp == QLatin1String("relative") ? QByteArray("install")
                                              : QFile::encodeName(sandbox() + '/' + temp));
    RunFolder run;
    const bool created = run.create(uniqueName());
    qunsetenv(temporaryFolderVariable());
    QDir::setCurrent(previous);
    QVERIFY(!created);
    QVERIFY2(run.errorMessage().startsWith(QLatin1String("The temporary folder")),
             qPrintable(run.errorMessage()));
    QCOMPARE(snapshot(sandbox()).keys(),
             QStringList({ QStringLiteral("file"), QStringLiteral("install") }));

    // A usable one gives each run a private folder of its own.
    qputenv(temporaryFolderVariable(), QFile::encodeName(sandbox()));
    RunFolder first;
    RunFolder second;
    QVERIFY(first.create(uniqueName()) && second.create(uniqueName()));
    qunsetenv(temporaryFolderVariable());
    QVERIFY(first.path() != second.path());
#ifndef Q_OS_WIN // private through the user's profile folder there
    QCOMPARE(QFile::permissions(first.path()) & 0x0077, QFileDevice::Permissions());
#endif
}

void TestSafeInstall::secondInstallerIntoOneFolderIsRefused()
{
    // The first installer holds the folder while its download hangs; a
    // second one for the same folder, spelled otherwise, is refused at once
    // and places nothing. The lock dies with the first process.
    HttpTestServer server;
    QVERIFY(server.listen() && version("1").write(zipPath()));
    HttpTestServer::Response hanging;
    hanging.filePath = zipPath();
    hanging.stallAfter = 100;
    server.setResponse(QStringLiteral("/hanging.zip"), hanging);
    server.serveFile(QStringLiteral("/velmar.zip"), zipPath());
    const QString url = server.url(QStringLiteral("/velmar.zip")).toString();
    QProcess first, second, third;
    startInstaller(&first, server.url(QStringLiteral("/hanging.zip")).toString(), target());
    QVERIFY2(QTest::qWaitFor([&] { return server.requestCount(QStringLiteral("/hanging.zip")); },
                             120000),
             "the first installer never asked for its package");
    startInstaller(&second, url, target() + QStringLiteral("/../install/"));
    QVERIFY2(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 120000),
             "the second installer did not end");
    const QByteArray answer = second.readAllStandardOutput();
    QVERIFY2(answer.contains("result " + QByteArray::number(InstallFolderBusy))
                 && answer.contains("Another installation into"),
             answer);
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(snapshot(target()), Tree());

    first.kill();
    QVERIFY(first.waitForFinished());
    startInstaller(&third, url, target());
    QVERIFY(QTest::qWaitFor([&] { return third.state() == QProcess::NotRunning; }, 120000));
    QCOMPARE(snapshot(target()).value(QStringLiteral("Velmar")), QByteArray("program 1"));
}

void TestSafeInstall::folderLockHoldsForEverySpelling_data()
{
    // Spellings of the held folder (relative ones are read from the
    // sandbox), and whether they name it.
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("same");
    QTest::newRow("relative, with dots") << "./later/x/../Velmar/" << true;
    QTest::newRow("a folder inside") << "later/Velmar/data" << false;
#ifdef Q_OS_WIN
    QTest::newRow("other letter case") << "LATER/velmar" << true;
#else
    QTest::newRow("through a link") << "link/later/Velmar" << true;
    QTest::newRow("other letter case") << "LATER/velmar" << false;
#endif
}

void TestSafeInstall::folderLockHoldsForEverySpelling()
{
    QFETCH(QString, other);
    QFETCH(bool, same);
    QVERIFY(QDir().mkpath(sandbox() + QStringLiteral("/later")));
    QFile::link(sandbox(), sandbox() + QStringLiteral("/link")); // Unix only
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(sandbox()));
    InstallFolderLock first, second;
    const auto held = first.acquire(sandbox() + QStringLiteral("/later/Velmar"));
    const auto whileHeld = second.acquire(other);
    QDir::setCurrent(previous);
    QCOMPARE(held, InstallFolderLock::Acquired);
    QCOMPARE(whileHeld, same ? InstallFolderLock::Busy : InstallFolderLock::Acquired);
}

bool TestSafeInstall::writeInterruptedRun()
{
    const QString work = target() + QStringLiteral("/.installer-r");
    if (!QDir().mkpath(work + QStringLiteral("/new"))
        || !TestFiles::writeFile(work + QStringLiteral("/old/Velmar"), "program 1")
        || !TestFiles::writeFile(target() + QStringLiteral("/Velmar"), "program 2")
        || !TestFiles::writeFile(target() + QStringLiteral("/extra/a.txt"), "placed")
        || !TestFiles::writeFile(target() + QStringLiteral("/new.txt"), "placed"))
        return false;
    const auto identity = [this](const char *path) {
        return JournalEntry::identityOf(target() + QLatin1Char('/') + QLatin1String(path));
    };
    return TestFiles::writeFile(
        journals() + QStringLiteral("/r.journal"),
        "install " + QFile::encodeName(target()) + "\nwork " + QFile::encodeName(work)
            + "\nreplace Velmar " + identity("Velmar") + "\nnew extra folder\nnew extra/a.txt "
            + identity("extra/a.txt") + "\nnew new.txt " + identity("new.txt") + "\nnew later.txt");
}

void TestSafeInstall::recoveryRemovesOnlyWhatTheRunPlaced_data()
{
    // What the user saved after the run was killed, and what stays besides
    // the first version (a file in the new folder: see the test below).
    QTest::addColumn<QString>("path");
    QTest::addColumn<Tree>("kept");
    QTest::newRow("nothing") << QString() << Tree();
    QTest::newRow("over a placed file") << "new.txt" << Tree { { "new.txt", "mine" } };
    QTest::newRow("over a replaced file") << "Velmar"
                                          << Tree { { "Velmar", "mine" },
                                                    { ".installer-r", "folder" },
                                                    { ".installer-r/old", "folder" },
                                                    { ".installer-r/old/Velmar", "program 1" } };
}

void TestSafeInstall::recoveryRemovesOnlyWhatTheRunPlaced()
{
    QFETCH(QString, path);
    QFETCH(Tree, kept);
    QVERIFY(installVersionOne());
    Tree expected = snapshot(target());
    QVERIFY(QFile::remove(target() + QStringLiteral("/Velmar")) && writeInterruptedRun());
    if (!path.isEmpty())
        QVERIFY(TestFiles::writeFile(target() + QLatin1Char('/') + path, "mine"));

    // Held by another installation, the folder waits for a later start.
    const Tree interrupted = snapshot(target());
    InstallFolderLock held;
    QCOMPARE(held.acquire(target()), InstallFolderLock::Acquired);
    QVERIFY(InstallRun::recoverInterruptedRuns(journals()).value(0).startsWith("Left"));
    QCOMPARE(snapshot(target()), interrupted);
    held.release();
    InstallRun::recoverInterruptedRuns(journals());
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        expected.insert(it.key(), it.value());
    QCOMPARE(snapshot(target()), expected);
    QCOMPARE(QDir(journals()).entryList(QDir::Files), QStringList());
}

void TestSafeInstall::killedRunKeepsTheUsersFileInItsNewFolder()
{
    QVERIFY(version("1").write(zipPath()));
    QCOMPARE(install(zipPath(), target()).error, int(NoError));
    Tree expected = snapshot(target());
    // The new folder extra moves in whole, before the many new files of
    // data, which is there already, go in one by one: the run is killed
    // among those.
    RawZip two = version("2");
    for (int i = 0; i < 100; ++i)
        two.add("extra/f" + QByteArray::number(i), "placed");
    for (int i = 0; i < 4000; ++i)
        two.add("data/f" + QByteArray::number(i), "placed");
    QVERIFY(two.write(zipPath()));
    QVERIFY(installAndKill("new data/", 200));
    QVERIFY(QFile::exists(target() + QStringLiteral("/extra/f0")));
    QVERIFY(TestFiles::writeFile(target() + QStringLiteral("/extra/mine.txt"), "mine"));

    InstallRun::recoverInterruptedRuns(journals());
    expected.insert(QStringLiteral("extra"), "folder");
    expected.insert(QStringLiteral("extra/mine.txt"), "mine");
    QCOMPARE(snapshot(target()), expected);
}

void TestSafeInstall::setAsideFileInUseIsRemovedAtTheNextStart()
{
    // A set-aside file that cannot be deleted yet, as Windows refuses for a
    // program that still runs: held open there, in an immutable folder here
    // (the test runs as root, for whom permissions stop nothing).
    QVERIFY(installVersionOne() && version("2").write(zipPath()));
    const QString work = target() + QStringLiteral("/.installer-r");
    const QString stuck = work + QStringLiteral("/old/in-use");
    QVERIFY(TestFiles::writeFile(stuck + QStringLiteral("/Velmar"), "program 0"));
#ifdef Q_OS_WIN
    QFile inUse(stuck + QStringLiteral("/Velmar"));
    QVERIFY(inUse.open(QIODevice::ReadOnly));
#else
    if (geteuid() != 0 || QProcess::execute(QStringLiteral("chattr"), { "+i", stuck }) != 0)
        QSKIP("needs root and a file system with the immutable flag");
#endif
    InstallJournal journal;
    QVERIFY(journal.begin(journals(), QStringLiteral("r")));
    InstallLog log;
    QVERIFY(log.open(sandbox() + QStringLiteral("/installer.log")));
    UnzipWorker worker;
    worker.setJournal(&journal);
    worker.setLog(&log);
    worker.setRunId(QStringLiteral("r"));
    int result = -1;
    connect(&worker, &UnzipWorker::done, this, [&result](int error) { result = error; });
    worker.doWork(zipPath(), 0, target());
    journal.end();
    log.close();
    const bool hidden = QFileInfo(work).isHidden();
    const QStringList waiting = QDir(journals()).entryList(QDir::Files);
#ifdef Q_OS_WIN
    inUse.close();
#else
    QProcess::execute(QStringLiteral("chattr"), { "-i", stuck });
#endif
    QCOMPARE(result, int(NoError));
    QCOMPARE(snapshot(target()).value(QStringLiteral("Velmar")), QByteArray("program 2"));
    QVERIFY2(hidden && QFileInfo::exists(work), "the set-aside folder is gone or not hidden");
    QCOMPARE(waiting, QStringList { QStringLiteral("r.journal") });
    // The log says what stayed, and the system's reason for it.
    const QString logged = QString::fromUtf8(TestFiles::readFile(log.path()));
    QVERIFY2(logged.contains(QStringLiteral("still in use; the next start removes it (%1: ")
                                 .arg(QDir::toNativeSeparators(stuck + QStringLiteral("/Velmar")))),
             qPrintable(logged));

    // The next start.
    QVERIFY(InstallRun::recoverInterruptedRuns(journals()).join(' ').contains("Removed"));
    QVERIFY(!QFileInfo::exists(work));
    QCOMPARE(QDir(journals()).entryList(QDir::Files), QStringList());
}

void TestSafeInstall::hostileListingIsRefusedWithLittleMemory()
{
    // About 131 KiB of package: one name of 65,535 bytes and 32,768 levels,
    // which a key per parent path turned into gigabytes.
    RawZip zip;
    zip.add(QByteArray("a/").repeated(32767) + "a", "x");
    QVERIFY(zip.write(zipPath()));
    QProcess installer;
    startInstaller(&installer, QUrl::fromLocalFile(zipPath()).toString(), target());
    QVERIFY2(installer.waitForFinished(240000), "the installer did not end within 4 minutes");
    const QByteArray output = installer.readAllStandardOutput();
    QVERIFY2(output.contains("result " + QByteArray::number(UnzipFailed))
                 && output.contains("longer than 4096 bytes"),
             output);
#ifndef Q_OS_WIN // measured from /proc
    const qint64 peakKiB = output.mid(output.indexOf("\npeak ") + 6).trimmed().toLongLong();
    qInfo("peak resident memory %lld KiB", peakKiB);
    QVERIFY2(peakKiB > 0 && peakKiB < 60 * 1024, output);
#endif
}

QTEST_GUILESS_MAIN(TestSafeInstall)
#include "tst_safe_install.moc"
