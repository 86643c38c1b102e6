// UnzipWorker with archives made by the test: what lands in the install
// folder, progress by bytes, the result codes, cleanup of the temporary
// folder after every outcome, and hostile archives that must write nothing.
#include "config/path_length.h"
#include "engine/install_error.h"
#include "engine/install_log.h"
#include "engine/platform_helpers.h"
#include "engine/unpack/archive_index.h"
#include "engine/unpack/entry_name.h"
#include "engine/unpack/unzip_worker.h"
#include "support/raw_zip.h"
#include "support/temporary_folder_variable.h"
#include "support/test_files.h"
#include "support/zip_builder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

// Every path below root, links included (not followed), relative and sorted.
QStringList treeOf(const QString &root)
{
    QStringList paths;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(QDir(root).relativeFilePath(it.next()));
    paths.sort();
    return paths;
}

// The file system (device) a path lies on, or 0 when it cannot be told.
#ifndef Q_OS_WIN
quint64 volumeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? quint64(status.st_dev) : 0;
}
#endif

struct Outcome
{
    QList<QPair<int, QString>> results;
    QList<QPair<double, QString>> progress;
};

Outcome runWorker(UnzipWorker &worker, const QString &zip, qulonglong bytesTotal,
                  const QString &target)
{
    Outcome outcome;
    QObject::connect(&worker, &UnzipWorker::done, [&outcome](int error, const QString &message) {
        outcome.results.append({ error, message });
    });
    QObject::connect(&worker, &UnzipWorker::progress,
                     [&outcome](double percent, const QString &current) {
                         outcome.progress.append({ percent, current });
                     });
    worker.doWork(zip, bytesTotal, target);
    return outcome;
}

Outcome runWorker(const QString &zip, qulonglong bytesTotal, const QString &target)
{
    UnzipWorker worker;
    return runWorker(worker, zip, bytesTotal, target);
}

} // namespace

class TestUnzipWorker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void installsPackage();
    void refusesDamagedArchives_data();
    void refusesDamagedArchives();
    void reportsFileThatCannotBeReplaced();
    void reportsMissingTarget();
    void reportsUnusableTemporaryFolder();
    void givesNoProgressWithoutTotal();
    void reportsFractionAboveOneForTooSmallTotal();
    void reusesExistingFolders();
    void staysSilentWhenCancelledBeforeWork();
    void stopsBetweenEntriesWhenCancelled();
    void refusesHostileArchives_data();
    void refusesHostileArchives();
    void refusesArchiveLargerThanFreeSpace();
    void replacesLinkInTargetWithFolder();
    void installsFromSameOrOtherVolume_data();
    void installsFromSameOrOtherVolume();
    void reportsFolderInPlaceOfFile();
    void limitsProgressSignals();
    void installsDeepPathsWhole();
    void stagesBeyondWindowsLimit_data();
    void stagesBeyondWindowsLimit();
    void installsPackageWithDotTop();
    void judgesEntryNames_data();
    void judgesEntryNames();

private:
    QString sandbox() const { return m_root->path(); }
    QString temp() const { return m_root->filePath(QStringLiteral("tmp")); }
    QString target() const { return m_root->filePath(QStringLiteral("install")); }
    QString zipPath() const { return m_root->filePath(QStringLiteral("package.zip")); }

    std::unique_ptr<QTemporaryDir> m_root;
};

void TestUnzipWorker::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // A temporary folder of the test's own, so that "nothing left behind"
    // can be seen.
    QVERIFY(QDir().mkpath(temp()));
    QVERIFY(QDir().mkpath(target()));
    qputenv(temporaryFolderVariable(), QFile::encodeName(temp()));
    QCOMPARE(QDir::tempPath(), temp());
}

void TestUnzipWorker::cleanup()
{
    qunsetenv(temporaryFolderVariable());
    m_root.reset();
}

void TestUnzipWorker::installsPackage()
{
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), QByteArray(3000, 'v'), TestFiles::executable());
    zip.addFile(QStringLiteral("uninst.exe"), QByteArray(1000, 'u'));
    zip.addFolder(QStringLiteral("bin/"));
    zip.addFile(QStringLiteral("bin/tool"), QByteArray(500, 't'), TestFiles::executable());
    zip.addFile(QStringLiteral("lib/libvelmar.so.1"), QByteArray(700, 'l'));
    zip.addFile(QStringLiteral(".settings"), QByteArray(10, 's'));
    zip.addFile(QStringLiteral(".data/cache.bin"), QByteArray(20, 'c'));
    zip.addLink(QStringLiteral("lib/libvelmar.so"), QStringLiteral("libvelmar.so.1"));
    zip.addLink(QStringLiteral("bin/libs"), QStringLiteral("../lib"));
    QVERIFY(zip.write(zipPath()));
    // Link contents (their target texts) count as entry sizes in the archive,
    // but the copy counts only the files it copies.
    const quint64 fileBytes = 3000 + 1000 + 500 + 700 + 10 + 20;

    const Outcome outcome = runWorker(zipPath(), fileBytes, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(NoError));
    QVERIFY(outcome.results.first().second.isEmpty());

    QCOMPARE(readFile(target() + QStringLiteral("/Velmar")), QByteArray(3000, 'v'));
    QCOMPARE(readFile(target() + QStringLiteral("/.settings")), QByteArray(10, 's'));
    QCOMPARE(readFile(target() + QStringLiteral("/.data/cache.bin")), QByteArray(20, 'c'));
#ifndef Q_OS_WIN // Windows files carry no execute bit
    QVERIFY(QFileInfo(target() + QStringLiteral("/Velmar")).isExecutable());
    QVERIFY(QFileInfo(target() + QStringLiteral("/bin/tool")).isExecutable());
    QVERIFY(
        !(QFile::permissions(target() + QStringLiteral("/uninst.exe")) & QFileDevice::ExeOwner));
#endif

#ifndef Q_OS_WIN // links of a package are not made on Windows
    const QFileInfo libLink(target() + QStringLiteral("/lib/libvelmar.so"));
    QVERIFY(libLink.isSymLink());
    QCOMPARE(libLink.canonicalFilePath(),
             QFileInfo(target() + QStringLiteral("/lib/libvelmar.so.1")).canonicalFilePath());
    const QFileInfo folderLink(target() + QStringLiteral("/bin/libs"));
    QVERIFY(folderLink.isSymLink());
    QCOMPARE(readFile(target() + QStringLiteral("/bin/libs/libvelmar.so.1")), QByteArray(700, 'l'));
#endif

    // Progress rises to exactly 1.0 and never falls back.
    QVERIFY(!outcome.progress.isEmpty());
    for (int i = 1; i < outcome.progress.size(); ++i)
        QVERIFY(outcome.progress.at(i).first >= outcome.progress.at(i - 1).first);
    QCOMPARE(outcome.progress.last().first, 1.0);

    // Nothing of the run is left: no staging folder in the install folder,
    // nothing in the temporary folder.
    QVERIFY(!treeOf(target()).join(QLatin1Char(' ')).contains(QLatin1String(".installer-")));
    QCOMPARE(treeOf(temp()), QStringList());
    QVERIFY(QFileInfo::exists(zipPath()));
}

void TestUnzipWorker::refusesDamagedArchives_data()
{
    QTest::addColumn<bool>("truncate");
    QTest::newRow("truncated zip") << true;
    QTest::newRow("not a zip") << false;
}

void TestUnzipWorker::refusesDamagedArchives()
{
    QFETCH(bool, truncate);
    if (truncate) {
        ZipBuilder zip;
        QByteArray noise(200000, Qt::Uninitialized);
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919) ^ (i >> 5));
        zip.addFile(QStringLiteral("Velmar"), noise);
        zip.addFile(QStringLiteral("uninst.exe"), noise);
        QVERIFY(zip.write(zipPath()));
        QFile file(zipPath());
        QVERIFY(file.resize(file.size() / 2));
    } else {
        QVERIFY(writeFile(zipPath(), "<html>This is not the package you are looking for</html>"));
    }

    const Outcome outcome = runWorker(zipPath(), 1000, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(UnzipFailed));
    QCOMPARE(outcome.results.first().second,
             QStringLiteral("The package is not a readable zip archive."));
    QCOMPARE(treeOf(temp()), QStringList());
    QCOMPARE(treeOf(target()), QStringList());
}

void TestUnzipWorker::reportsFileThatCannotBeReplaced()
{
#ifdef Q_OS_WIN
    QSKIP("a file that cannot be replaced is staged with Unix permissions and chattr");
#else
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "new program");
    QVERIFY(zip.write(zipPath()));
    const QString locked = target() + QStringLiteral("/Velmar");
    QVERIFY(writeFile(locked, "old program"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));

    // Root deletes read-only files and files in read-only folders alike;
    // the immutable flag stops even root, as the read-only attribute does on
    // Windows.
    bool immutable = false;
    if (geteuid() == 0) {
        immutable
            = QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), locked }) == 0;
        if (!immutable)
            QSKIP("running as root on a file system without the immutable flag");
    } else {
        QVERIFY(QFile::setPermissions(target(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    InstallLog log;
    QVERIFY(log.open(sandbox() + QStringLiteral("/installer.log")));
    UnzipWorker worker;
    worker.setLog(&log);
    const Outcome outcome = runWorker(worker, zipPath(), 100, target());
    log.close();
    if (immutable)
        QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), locked });
    QFile::setPermissions(target(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(CopyFailed));
    // The system's reason goes with the message, into the log too.
    const QString message
        = QStringLiteral("\"Velmar\" in the install folder cannot be replaced. (%1)")
              .arg(QString::fromLocal8Bit(std::strerror(immutable ? EPERM : EACCES)));
    QCOMPARE(outcome.results.first().second, message);
    QVERIFY(QString::fromUtf8(readFile(sandbox() + QStringLiteral("/installer.log")))
                .contains(QStringLiteral("Error 2: ") + message));
    QCOMPARE(readFile(locked), QByteArray("old program"));
    QCOMPARE(treeOf(target()), QStringList { QStringLiteral("Velmar") });
    QCOMPARE(treeOf(temp()), QStringList());
#endif
}

void TestUnzipWorker::reportsMissingTarget()
{
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    QVERIFY(zip.write(zipPath()));
    const Outcome outcome = runWorker(zipPath(), 7, target() + QStringLiteral("/missing"));
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(TargetDirMissing));
    QCOMPARE(outcome.results.first().second, QStringLiteral("The target dir is not exist."));
    QCOMPARE(treeOf(temp()), QStringList());
}

void TestUnzipWorker::reportsUnusableTemporaryFolder()
{
    // The staging folder lies in the install folder; a temporary folder
    // that is a file does not matter to the worker, and nothing is written
    // to it.
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    QVERIFY(zip.write(zipPath()));
    const QString notAFolder = sandbox() + QStringLiteral("/not-a-folder");
    QVERIFY(writeFile(notAFolder, "file"));
    qputenv(temporaryFolderVariable(), QFile::encodeName(notAFolder));
    const Outcome outcome = runWorker(zipPath(), 7, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(readFile(notAFolder), QByteArray("file"));
    QCOMPARE(treeOf(target()), QStringList { QStringLiteral("Velmar") });
}

void TestUnzipWorker::givesNoProgressWithoutTotal()
{
    // The package's own listing measures the progress; a configured total of
    // 0 does not silence it.
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    zip.addFile(QStringLiteral("data/a.bin"), "aaaa");
    QVERIFY(zip.write(zipPath()));
    const Outcome outcome = runWorker(zipPath(), 0, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(outcome.progress.last().first, 1.0);
    QCOMPARE(readFile(target() + QStringLiteral("/data/a.bin")), QByteArray("aaaa"));
}

void TestUnzipWorker::reportsFractionAboveOneForTooSmallTotal()
{
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), QByteArray(1500, 'v'));
    QVERIFY(zip.write(zipPath()));
    const Outcome outcome = runWorker(zipPath(), 1000, target());
    QCOMPARE(outcome.results.first().first, int(NoError));
    for (const auto &step : outcome.progress)
        QVERIFY(step.first <= 1.0);
    QCOMPARE(outcome.progress.last().first, 1.0);
}

void TestUnzipWorker::reusesExistingFolders()
{
    QVERIFY(QDir().mkpath(target() + QStringLiteral("/bin")));
    QVERIFY(writeFile(target() + QStringLiteral("/bin/tool"), "old tool"));
    QVERIFY(writeFile(target() + QStringLiteral("/bin/user-notes.txt"), "mine"));
    ZipBuilder zip;
    zip.addFile(QStringLiteral("bin/tool"), "new tool");
    zip.addFile(QStringLiteral("bin/other"), "other");
    QVERIFY(zip.write(zipPath()));

    const Outcome outcome = runWorker(zipPath(), 13, target());
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(readFile(target() + QStringLiteral("/bin/tool")), QByteArray("new tool"));
    QCOMPARE(readFile(target() + QStringLiteral("/bin/user-notes.txt")), QByteArray("mine"));
    QCOMPARE(readFile(target() + QStringLiteral("/bin/other")), QByteArray("other"));
}

void TestUnzipWorker::staysSilentWhenCancelledBeforeWork()
{
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    QVERIFY(zip.write(zipPath()));
    UnzipWorker worker;
    worker.cancelled = true;
    const Outcome outcome = runWorker(worker, zipPath(), 7, target());
    QCOMPARE(outcome.results.size(), 0);
    QCOMPARE(outcome.progress.size(), 0);
    QCOMPARE(treeOf(target()), QStringList());
    QCOMPARE(treeOf(temp()), QStringList());
}

void TestUnzipWorker::stopsBetweenEntriesWhenCancelled()
{
    QVERIFY(writeFile(target() + QStringLiteral("/file3.dat"), "old"));
    ZipBuilder zip;
    for (int i = 0; i < 20; ++i)
        zip.addFile(QStringLiteral("file%1.dat").arg(i), QByteArray(100, 'f'));
    QVERIFY(zip.write(zipPath()));
    UnzipWorker worker;
    // The page sets the flag from another thread; here the first progress
    // step does it, which lands between two writes just the same.
    connect(&worker, &UnzipWorker::progress, this, [&worker] { worker.cancelled = true; });
    const Outcome outcome = runWorker(worker, zipPath(), 2000, target());
    QCOMPARE(outcome.results.size(), 0);
    QCOMPARE(outcome.progress.size(), 1);
    // A cancelled run leaves the install folder as it was.
    QCOMPARE(treeOf(target()), QStringList { QStringLiteral("file3.dat") });
    QCOMPARE(readFile(target() + QStringLiteral("/file3.dat")), QByteArray("old"));
    QCOMPARE(treeOf(temp()), QStringList());
}

void TestUnzipWorker::refusesHostileArchives_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("climbs out with ..") << "dotdot";
    QTest::newRow("climbs out with backslashes") << "backslash";
    QTest::newRow("climbs out from a folder") << "nested";
    QTest::newRow("absolute path") << "absolute";
    QTest::newRow("drive letter") << "drive";
    QTest::newRow("link leads outside") << "link-out";
    QTest::newRow("absolute link") << "link-absolute";
    QTest::newRow("write through a link") << "through-link";
    QTest::newRow("link climbs through another link") << "link-chain";
    QTest::newRow("dangling link") << "link-dangling";
}

void TestUnzipWorker::refusesHostileArchives()
{
    QFETCH(QString, kind);
    // Where a successful escape would land: beside the temporary folder and
    // the install folder, inside the sandbox.
    const QString escaped = sandbox() + QStringLiteral("/escaped.txt");
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    if (kind == QLatin1String("dotdot"))
        zip.addFile(QStringLiteral("../escaped.txt"), "evil");
    else if (kind == QLatin1String("backslash"))
        zip.addFile(QStringLiteral("..\\escaped.txt"), "evil");
    else if (kind == QLatin1String("nested"))
        zip.addFile(QStringLiteral("bin/../../escaped.txt"), "evil");
    else if (kind == QLatin1String("absolute"))
        zip.addFile(escaped, "evil");
    else if (kind == QLatin1String("drive"))
        zip.addFile(QStringLiteral("C:/escaped.txt"), "evil");
    else if (kind == QLatin1String("link-out"))
        zip.addLink(QStringLiteral("bin/outside"), QStringLiteral("../../.."));
    else if (kind == QLatin1String("link-absolute"))
        zip.addLink(QStringLiteral("etc"), sandbox());
    else if (kind == QLatin1String("through-link")) {
        zip.addLink(QStringLiteral("up"), sandbox());
        zip.addFile(QStringLiteral("up/escaped.txt"), "evil");
    } else if (kind == QLatin1String("link-chain")) {
        zip.addLink(QStringLiteral("b"), QStringLiteral("."));
        zip.addLink(QStringLiteral("a"), QStringLiteral("b/.."));
    } else if (kind == QLatin1String("link-dangling")) {
        zip.addLink(QStringLiteral("later"), QStringLiteral("not-in-the-package"));
    }
    QVERIFY(zip.write(zipPath()));

    const Outcome outcome = runWorker(zipPath(), 100, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(UnzipFailed));
    QVERIFY2(outcome.results.first().second.contains(QLatin1String("invalid")),
             qPrintable(outcome.results.first().second));
    QCOMPARE(treeOf(target()), QStringList());
    QCOMPARE(treeOf(temp()), QStringList());
    QVERIFY(!QFileInfo::exists(escaped));
    QCOMPARE(treeOf(sandbox()),
             QStringList({ QStringLiteral("install"), QStringLiteral("package.zip"),
                           QStringLiteral("tmp") }));
}

void TestUnzipWorker::refusesArchiveLargerThanFreeSpace()
{
    // An archive whose directory promises more than the install folder's
    // volume holds: the sizes in the central directory are raised to almost
    // 4 GiB per entry, enough entries to pass the free space.
    const quint64 freeBytes = diskFreeSpace(QDir(target()));
    QVERIFY(freeBytes > 0);
    const quint64 perEntry = 0xFFFFFF00ull;
    const int entries = int(freeBytes / perEntry) + 2;
    ZipBuilder zip;
    for (int i = 0; i < entries; ++i)
        zip.addFile(QStringLiteral("part%1.bin").arg(i), "small");
    QVERIFY(zip.write(zipPath()));
    QByteArray bytes = readFile(zipPath());
    int patched = 0;
    for (int at = bytes.indexOf("PK\x01\x02"); at >= 0; at = bytes.indexOf("PK\x01\x02", at + 4)) {
        qToLittleEndian<quint32>(quint32(perEntry), bytes.data() + at + 24);
        ++patched;
    }
    QCOMPARE(patched, entries);
    QVERIFY(writeFile(zipPath(), bytes));
    quint64 stated = 0;
    QVERIFY(ArchiveIndex::read(zipPath()).fileBytes(&stated));
    QVERIFY(stated > freeBytes);

    const Outcome outcome = runWorker(zipPath(), 100, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(DiskFull));
    QVERIFY2(outcome.results.first().second.contains(QLatin1String("free disk space")),
             qPrintable(outcome.results.first().second));
    QCOMPARE(treeOf(temp()), QStringList());
    QCOMPARE(treeOf(target()), QStringList());
}

void TestUnzipWorker::replacesLinkInTargetWithFolder()
{
#ifdef Q_OS_WIN
    QSKIP("Qt makes .lnk shell links on Windows, not file system links");
#else
    // A link lying in the install folder must not carry the copy elsewhere.
    const QString elsewhere = sandbox() + QStringLiteral("/elsewhere");
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(QFile::link(elsewhere, target() + QStringLiteral("/bin")));
    ZipBuilder zip;
    zip.addFile(QStringLiteral("bin/tool"), "tool");
    QVERIFY(zip.write(zipPath()));

    const Outcome outcome = runWorker(zipPath(), 4, target());
    QCOMPARE(outcome.results.first().first, int(NoError));
    QVERIFY(!QFileInfo(target() + QStringLiteral("/bin")).isSymLink());
    QCOMPARE(readFile(target() + QStringLiteral("/bin/tool")), QByteArray("tool"));
    QCOMPARE(treeOf(elsewhere), QStringList());
#endif
}

void TestUnzipWorker::installsFromSameOrOtherVolume_data()
{
    QTest::addColumn<bool>("otherVolume");
    QTest::newRow("temporary folder beside the install folder") << false;
    QTest::newRow("temporary folder on another volume") << true;
}

void TestUnzipWorker::installsFromSameOrOtherVolume()
{
#ifdef Q_OS_WIN
    QSKIP("a second volume is staged with /dev/shm");
#else
    // Beside the install folder, unpacked files are moved into place; from
    // another volume they are copied. Either way the installed tree is the
    // same, and what stood at a destination is replaced, never written
    // through.
    QFETCH(bool, otherVolume);
    std::unique_ptr<QTemporaryDir> otherTemp;
    if (otherVolume) {
        // /dev/shm is a memory file system on most Linux systems.
        otherTemp = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/unzip-test-XXXXXX"));
        if (!otherTemp->isValid() || volumeOf(otherTemp->path()) == volumeOf(target()))
            QSKIP("no writable /dev/shm on a volume of its own");
        qputenv(temporaryFolderVariable(), QFile::encodeName(otherTemp->path()));
    } else {
        QCOMPARE(volumeOf(temp()), volumeOf(target()));
    }
    const QString tempFolder = QDir::tempPath();

    const QString outside = sandbox() + QStringLiteral("/outside.txt");
    QVERIFY(writeFile(outside, "not the installer's"));
    QVERIFY(QFile::link(outside, target() + QStringLiteral("/Velmar")));
    QVERIFY(QDir().mkpath(target() + QStringLiteral("/bin")));
    const QString oldTool = target() + QStringLiteral("/bin/tool");
    QVERIFY(writeFile(oldTool, "old tool"));
    QVERIFY(QFile::setPermissions(oldTool, QFileDevice::ReadOwner));

    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "new program", TestFiles::executable());
    zip.addFile(QStringLiteral("bin/tool"), "new tool", TestFiles::executable());
    zip.addFile(QStringLiteral("lib/libvelmar.so.1"), "library");
    zip.addLink(QStringLiteral("lib/libvelmar.so"), QStringLiteral("libvelmar.so.1"));
    zip.addFile(QStringLiteral(".settings"), "hidden");
    QVERIFY(zip.write(zipPath()));

    // Staging lies in the install folder whatever the temporary folder is,
    // so every file is moved into place.
    UnzipWorker worker;
    const Outcome outcome = runWorker(worker, zipPath(), 32, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(outcome.progress.last().first, 1.0);

    const QString program = target() + QStringLiteral("/Velmar");
    QVERIFY(!QFileInfo(program).isSymLink());
    QCOMPARE(readFile(program), QByteArray("new program"));
    QCOMPARE(readFile(outside), QByteArray("not the installer's"));
    QVERIFY(QFileInfo(program).isExecutable());
    QCOMPARE(readFile(oldTool), QByteArray("new tool"));
    QVERIFY(QFileInfo(oldTool).isExecutable());
    QVERIFY(!(QFile::permissions(target() + QStringLiteral("/lib/libvelmar.so.1"))
              & QFileDevice::ExeOwner));
    QCOMPARE(readFile(target() + QStringLiteral("/.settings")), QByteArray("hidden"));
    QVERIFY(QFileInfo(target() + QStringLiteral("/lib/libvelmar.so")).isSymLink());
    QCOMPARE(readFile(target() + QStringLiteral("/lib/libvelmar.so")), QByteArray("library"));
    QCOMPARE(treeOf(tempFolder), QStringList());
#endif
}

void TestUnzipWorker::reportsFolderInPlaceOfFile()
{
    // A folder of the user's where the package has a file cannot be replaced
    // by moving or by copying; it stays as it is.
    QVERIFY(QDir().mkpath(target() + QStringLiteral("/Velmar")));
    QVERIFY(writeFile(target() + QStringLiteral("/Velmar/notes.txt"), "mine"));
    ZipBuilder zip;
    zip.addFile(QStringLiteral("Velmar"), "program");
    QVERIFY(zip.write(zipPath()));

    const Outcome outcome = runWorker(zipPath(), 7, target());
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(CopyFailed));
    QVERIFY(outcome.results.first().second.contains(QLatin1String("is a folder")));
    QCOMPARE(readFile(target() + QStringLiteral("/Velmar/notes.txt")), QByteArray("mine"));
    QCOMPARE(treeOf(target()),
             QStringList({ QStringLiteral("Velmar"), QStringLiteral("Velmar/notes.txt") }));
    QCOMPARE(treeOf(temp()), QStringList());
}

void TestUnzipWorker::limitsProgressSignals()
{
    // Thousands of files: without a limit each would be a queued signal for
    // the GUI thread to handle.
    ZipBuilder zip;
    for (int i = 0; i < 3000; ++i)
        zip.addFile(QStringLiteral("data/%1.txt").arg(i), QByteArray(4000, char('a' + i % 26)));
    QVERIFY(zip.write(zipPath()));
    UnzipWorker worker;
    QList<qint64> times;
    QElapsedTimer clock;
    clock.start();
    connect(&worker, &UnzipWorker::progress, this, [&] { times << clock.elapsed(); });
    const Outcome outcome = runWorker(worker, zipPath(), 0, target());
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(outcome.progress.last().first, 1.0);
    // One signal at the start, at most one per interval after it, and the
    // final 1.0.
    QVERIFY2(
        times.size() <= 2 + clock.elapsed() / UnzipWorker::progressIntervalMs,
        qPrintable(QStringLiteral("%1 signals in %2 ms").arg(times.size()).arg(clock.elapsed())));
}

void TestUnzipWorker::installsDeepPathsWhole()
{
    // 20 folders of 98 bytes and a 25-byte file name: 2,005 bytes, every
    // step within the file system's limit, nothing shortened where the
    // system takes such paths.
    QString deep;
    for (int i = 0; i < 20; ++i)
        deep += QString(98, QChar('a' + i)) + QLatin1Char('/');
    deep += QStringLiteral("the-end-of-a-long-way.txt");
    QCOMPARE(deep.toUtf8().size(), 2005);
    ZipBuilder zip;
    zip.addFile(deep, "deep");
    QVERIFY(zip.write(zipPath()));
    const Outcome outcome = runWorker(zipPath(), 4, target());
#ifdef Q_OS_WIN
    // Windows starts nothing from a path of 260 characters or more: refused
    // once the listing is read, with the limit in the message, before
    // anything is placed.
    QCOMPARE(outcome.results.first().first, int(PathTooLong));
    QVERIFY2(outcome.results.first().second.contains(QStringLiteral(" 260 ")),
             qPrintable(outcome.results.first().second));
    QCOMPARE(treeOf(target()), QStringList());
#else
    QCOMPARE(outcome.results.first().first, int(NoError));
    QCOMPARE(readFile(target() + QLatin1Char('/') + deep), QByteArray("deep"));
#endif
}

void TestUnzipWorker::stagesBeyondWindowsLimit_data()
{
    QTest::addColumn<int>("longest");
    QTest::addColumn<bool>("fits");
    // Staged, each path is some 48 characters longer than placed: only the
    // placed paths count.
    QTest::newRow("259") << 259 << true;
#ifdef Q_OS_WIN
    QTest::newRow("260") << 260 << false;
#else
    QTest::newRow("260, no limit on Unix") << 260 << true;
#endif
}

void TestUnzipWorker::stagesBeyondWindowsLimit()
{
    QFETCH(int, longest);
    QFETCH(bool, fits);
    const QString deepest = QString(60, QLatin1Char('a')) + QLatin1Char('/')
        + QString(60, QLatin1Char('b')) + QStringLiteral("/c.txt");
    const QStringList paths { deepest, InstallLog::fileName() };
    const auto windowsLength = [&paths](const QString &folder) {
        return PathLength::longestPath(folder, paths, PathLength::System::Windows).size();
    };
    const QString folder = target() + QLatin1Char('/')
        + QString(longest - windowsLength(target()) - 1, QLatin1Char('f'));
    QCOMPARE(windowsLength(folder), longest);
    QVERIFY(windowsLength(folder + QStringLiteral("/.installer-") + uniqueName()
                          + QStringLiteral("/new"))
            > 300);
    QVERIFY(QDir().mkpath(folder));
    ZipBuilder zip;
    zip.addFile(deepest, "deep");
    QVERIFY(zip.write(zipPath()));

    const Outcome outcome = runWorker(zipPath(), 4, folder);
    QCOMPARE(outcome.results.size(), 1);
    QCOMPARE(outcome.results.first().first, int(fits ? NoError : PathTooLong));
    QCOMPARE(treeOf(folder).size(), fits ? 3 : 0);
    if (fits)
        QCOMPARE(readFile(folder + QLatin1Char('/') + deepest), QByteArray("deep"));
}

void TestUnzipWorker::installsPackageWithDotTop()
{
    // As `bsdtar -a -cf pkg.zip -C product .` stores it: "./" first, then
    // every entry below "./".
    RawZip zip;
    zip.addFolder("./");
    zip.add("./Velmar", "program", 0100755);
    zip.addFolder("./data/");
    zip.add("./data/levels.dat", "levels");
    QVERIFY(zip.write(zipPath()));
    const Outcome outcome = runWorker(zipPath(), 0, target());
    QCOMPARE(outcome.results.value(0).first, int(NoError));
    QCOMPARE(treeOf(target()),
             QStringList({ QStringLiteral("Velmar"), QStringLiteral("data"),
                           QStringLiteral("data/levels.dat") }));
    QCOMPARE(readFile(target() + QStringLiteral("/data/levels.dat")), QByteArray("levels"));
}

void TestUnzipWorker::judgesEntryNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "Velmar.exe" << true;
    QTest::newRow("nested") << "bin/x/y.dll" << true;
    QTest::newRow("folder") << "bin/" << true;
    QTest::newRow("dots in a name") << "a..b/..c/d" << true;
    // Windows drops a name's trailing dots, so "d.." would become "d" there.
#ifdef Q_OS_WIN
    QTest::newRow("trailing dots") << "a/d.." << false;
#else
    QTest::newRow("trailing dots") << "a/d.." << true;
#endif
    QTest::newRow("dot step") << "./bin/./x" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("parent later") << "a/b/../../../c" << false;
    QTest::newRow("backslash parent") << "a\\..\\..\\c" << false;
    QTest::newRow("root") << "/etc/passwd" << false;
    QTest::newRow("backslash root") << "\\Windows\\evil.dll" << false;
    QTest::newRow("drive") << "c:evil.dll" << false;
    QTest::newRow("drive path") << "D:\\evil.dll" << false;
}

void TestUnzipWorker::judgesEntryNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(EntryName(name.toUtf8(), true).isValid(), safe);
}

QTEST_GUILESS_MAIN(TestUnzipWorker)
#include "tst_unzip_worker.moc"
