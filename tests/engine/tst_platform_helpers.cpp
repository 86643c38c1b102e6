// The platform helpers: names, unique folder names, folder removal that never
// leaves the folder, free space of the right volume, finding and ending a
// running program.
#include "engine/platform_helpers.h"
#include "support/test_files.h"
#include "support/test_paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/statvfs.h>
#endif

namespace {

#ifndef Q_OS_WIN
quint64 statvfsFree(const QString &path)
{
    struct statvfs volume;
    if (statvfs(QFile::encodeName(path).constData(), &volume) != 0)
        return 0;
    return quint64(volume.f_bavail) * volume.f_frsize;
}
#endif

} // namespace

class TestPlatformHelpers : public QObject
{
    Q_OBJECT

private slots:
    void fileNameFromPath_data();
    void fileNameFromPath();
    void uniqueNamesAreHexAndDistinct();
    void removesWholeTreeWithHiddenAndReadOnlyEntries();
    void removesLinksNotWhatTheyPointTo();
    void measuresTheVolumeOfADeepFolder();
    void findsAndEndsAProcessInAnyLetterCase();
    void refusesProcessIdsThatAreNotProcesses();
};

void TestPlatformHelpers::fileNameFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("no slash") << "package.zip"
                              << "package.zip";
    QTest::newRow("trailing slash") << "https://example.com/files/"
                                    << "";
    QTest::newRow("url") << "https://example.com/files/Velmar-1.0.zip"
                         << "Velmar-1.0.zip";
    QTest::newRow("query stays") << "http://example.com/get/pkg.zip?token=a/b"
                                 << "b";
    QTest::newRow("query without slash") << "http://example.com/pkg.zip?v=2"
                                         << "pkg.zip?v=2";
    QTest::newRow("backslash is no separator") << "C:\\temp\\pkg.zip"
                                               << "C:\\temp\\pkg.zip";
    QTest::newRow("empty") << ""
                           << "";
}

void TestPlatformHelpers::fileNameFromPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(::fileNameFromPath(path), name);
}

void TestPlatformHelpers::uniqueNamesAreHexAndDistinct()
{
    const QRegularExpression hex(QStringLiteral("^[0-9a-f]{32}$"));
    QSet<QString> names;
    for (int i = 0; i < 100; ++i) {
        const QString name = uniqueName();
        QVERIFY2(hex.match(name).hasMatch(), qPrintable(name));
        names.insert(name);
    }
    QCOMPARE(names.size(), 100);
}

void TestPlatformHelpers::removesWholeTreeWithHiddenAndReadOnlyEntries()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString root = temp.filePath(QStringLiteral("unpacked"));
    QVERIFY(TestFiles::writeFile(root + QStringLiteral("/Velmar.exe"), "program"));
    QVERIFY(TestFiles::writeFile(root + QStringLiteral("/.config"), "hidden"));
    QVERIFY(TestFiles::writeFile(root + QStringLiteral("/.hidden-folder/file"), "x"));
    QVERIFY(TestFiles::writeFile(root + QStringLiteral("/bin/deep/deeper/.keep"), ""));
    QVERIFY(TestFiles::writeFile(root + QStringLiteral("/bin/readonly.dat"), "r"));
    QVERIFY(
        QFile::setPermissions(root + QStringLiteral("/bin/readonly.dat"), QFileDevice::ReadOwner));
    QVERIFY(QFile::setPermissions(root + QStringLiteral("/bin/deep"),
                                  QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    removeDirectory(QDir(root));
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(QFileInfo(temp.path()).isDir());
}

void TestPlatformHelpers::removesLinksNotWhatTheyPointTo()
{
#ifdef Q_OS_WIN
    QSKIP("Qt makes .lnk shell links on Windows, not file system links");
#else
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString outside = temp.filePath(QStringLiteral("outside"));
    QVERIFY(TestFiles::writeFile(outside + QStringLiteral("/keep.txt"), "keep"));
    QVERIFY(TestFiles::writeFile(outside + QStringLiteral("/sub/keep.txt"), "keep"));

    const QString root = temp.filePath(QStringLiteral("unpacked"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/inner")));
    QVERIFY(QFile::link(outside, root + QStringLiteral("/folder-link")));
    QVERIFY(
        QFile::link(outside + QStringLiteral("/keep.txt"), root + QStringLiteral("/file-link")));
    QVERIFY(QFile::link(temp.filePath(QStringLiteral("nowhere")),
                        root + QStringLiteral("/inner/dangling")));

    removeDirectory(QDir(root));
    QVERIFY(!QFileInfo::exists(root));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/keep.txt")));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/sub/keep.txt")));

    // A link handed over as the folder itself goes as a link too.
    const QString linkRoot = temp.filePath(QStringLiteral("link-root"));
    QVERIFY(QFile::link(outside, linkRoot));
    removeDirectory(QDir(linkRoot));
    QVERIFY(!QFileInfo(linkRoot).isSymLink());
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/sub/keep.txt")));
#endif
}

void TestPlatformHelpers::measuresTheVolumeOfADeepFolder()
{
#ifdef Q_OS_WIN
    QSKIP("measured against a quiet tmpfs; the Windows layer's tst_disk_space measures under Wine");
#else
    // /dev/shm is a volume of its own, quieter than the disk other programs
    // are writing to; compare only when its figure held still.
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isDir() || !QFileInfo(shm).isWritable())
        QSKIP("no writable /dev/shm");
    QTemporaryDir temp(shm + QStringLiteral("/engine-test-XXXXXX"));
    QVERIFY(temp.isValid());
    const QString deep = temp.filePath(QStringLiteral("a/b/c/d"));
    QVERIFY(QDir().mkpath(deep));

    bool compared = false;
    for (int round = 0; round < 20 && !compared; ++round) {
        const quint64 before = statvfsFree(shm);
        const quint64 inside = diskFreeSpace(QDir(deep));
        const quint64 notYetCreated = diskFreeSpace(QDir(deep + QStringLiteral("/x/y/z")));
        const quint64 after = statvfsFree(shm);
        if (before != after)
            continue;
        compared = true;
        QVERIFY(before > 0);
        QCOMPARE(inside, before);
        QCOMPARE(notYetCreated, before);
    }
    QVERIFY(compared);
#endif
}

void TestPlatformHelpers::findsAndEndsAProcessInAnyLetterCase()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString program
        = temp.filePath(QStringLiteral("VelmarProbe-%1").arg(uniqueName().left(6)))
#ifdef Q_OS_WIN
        + QStringLiteral(".exe")
#endif
        ;
    QVERIFY(QFile::copy(TestPaths::sleeper(), program));
    const QString name = QFileInfo(program).fileName();
    QCOMPARE(findProcess(name.toUpper()), qint64(0));

    QProcess process;
    process.start(program, { QStringLiteral("--wait") });
    QVERIFY(process.waitForStarted());
    QCOMPARE(findProcess(name.toLower()), process.processId());
    QCOMPARE(findProcess(name.toUpper()), process.processId());

    QVERIFY(terminateProcess(process.processId()));
    QVERIFY(process.waitForFinished(10000));
    // Killed, not ended by its own timer (which exits normally with 3).
#ifdef Q_OS_WIN
    QCOMPARE(process.exitCode(), 0); // TerminateProcess's exit code
#else
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
#endif
    QCOMPARE(findProcess(name), qint64(0));
}

void TestPlatformHelpers::refusesProcessIdsThatAreNotProcesses()
{
    QVERIFY(!terminateProcess(0));
    // -1 would mean every process the user may signal.
    QVERIFY(!terminateProcess(-1));
    QVERIFY(!terminateProcess(std::numeric_limits<qint64>::max()));
    QCOMPARE(findProcess(QString()), qint64(0));
    QCOMPARE(findProcess(QStringLiteral("no-such-program-%1").arg(uniqueName())), qint64(0));
}

QTEST_GUILESS_MAIN(TestPlatformHelpers)
#include "tst_platform_helpers.moc"
